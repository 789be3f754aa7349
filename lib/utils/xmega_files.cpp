// Files of the video module's XMEGA: the version text inside its flash image
// and the fan-control setting inside its 2048-byte EEPROM image.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "vx_zyra.h"

namespace {

constexpr long XMEGA_VERSION_OFFSET = 0x1DE00;
constexpr size_t EEPROM_SIZE = 2048;
constexpr uint8_t EEPROM_VALID_MARKER = 0x55;
constexpr uint8_t FAN_CTRL_MASK = 0x0F;

bool write_all(int fd, const uint8_t *data, size_t length)
{
    while (length > 0) {
        ssize_t written = write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

extern "C" {

VX_ZYRA_EXPORT int vx_zyra_xmega_version(char *filename, char *version, int ver_len)
{
    if (filename == nullptr || version == nullptr)
        return 1;
    FILE *file = std::fopen(filename, "rb");
    if (file == nullptr)
        return 1;
    char marker[2];
    if (std::fseek(file, XMEGA_VERSION_OFFSET, SEEK_SET) != 0 || std::fread(marker, 1, 2, file) != 2 ||
        marker[0] != 'F' || marker[1] != 'W') {
        std::fclose(file);
        return 1;
    }
    int length = 0;
    while (length < ver_len) {
        int c = std::fgetc(file);
        if (c == EOF || c == 0x00 || c == 0xFF)
            break;
        version[length++] = static_cast<char>(c);
    }
    version[length] = '\0';
    std::fclose(file);
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_read_eeprom_settings(char *filename, struct eeprom_settings *settings)
{
    if (filename == nullptr || settings == nullptr)
        return -1;
    FILE *file = std::fopen(filename, "rb");
    if (file == nullptr)
        return -1;
    uint8_t image[EEPROM_SIZE];
    size_t length = std::fread(image, 1, sizeof image, file);
    std::fclose(file);
    // The setting is byte 1: a file cut short before it holds no setting.
    if (length < 2 || image[0] != EEPROM_VALID_MARKER)
        return -1;
    settings->fan_ctrl_mode = image[1] & FAN_CTRL_MASK;
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_write_eeprom_settings(char *filename, struct eeprom_settings *settings)
{
    if (filename == nullptr || settings == nullptr)
        return -1;
    uint8_t image[EEPROM_SIZE];
    std::memset(image, 0xFF, sizeof image);
    image[0] = EEPROM_VALID_MARKER;
    image[1] = settings->fan_ctrl_mode & FAN_CTRL_MASK;
    // Data, not a program: nobody needs to execute it.
    int fd = open(filename, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return -1;
    bool written = write_all(fd, image, sizeof image);
    if (close(fd) != 0 || !written)
        return -1;
    return 0;
}

}  // extern "C"
