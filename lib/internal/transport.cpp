// Sending commands and raw data, draining stale input, and the hexadecimal
// byte parser of the command transport.
#include "transport.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstddef>

#include "clock.h"
#include "commands.h"
#include "intelhex.h"
#include "vx_zyra.h"

namespace zyra {

int transfer_timeout_ms(int64_t seconds)
{
    constexpr int64_t MS_PER_SECOND = 1000;
    constexpr int64_t LONGEST_S = INT_MAX / MS_PER_SECOND;
    return static_cast<int>(std::clamp<int64_t>(seconds, 1, LONGEST_S) * MS_PER_SECOND);
}

}  // namespace zyra

namespace {

constexpr int DRAIN_READ_TIMEOUT_MS = 1000;
// A unit that never stops talking must not keep a drain going for ever; what
// is left after this long is skipped by the next receive's scan anyway.
constexpr int64_t DRAIN_LIMIT_S = 10;

bool has_top_bit(char c)
{
    return (static_cast<unsigned char>(c) & 0x80) != 0;
}

}  // namespace

extern "C" {

int vx_zyra_send_cmd(libusb_device_handle *devh, uint8_t *cmd, int timeout)
{
    if (devh == nullptr || cmd == nullptr)
        return LIBUSB_ERROR_INVALID_PARAM;
    const size_t length = cmd[zyra::FRAME_LENGTH];
    const size_t checksum_at = zyra::FRAME_PAYLOAD + length;
    cmd[0] = zyra::FRAME_PREFIX_0;
    cmd[1] = zyra::FRAME_PREFIX_1;
    cmd[checksum_at] = 0;
    for (size_t i = 0; i < checksum_at; ++i)
        cmd[checksum_at] ^= cmd[i];
    int transferred = 0;
    return libusb_bulk_transfer(devh, zyra::ENDPOINT_OUT, cmd, static_cast<int>(length + zyra::FRAME_OVERHEAD),
                                &transferred, zyra::transfer_timeout_ms(timeout));
}

int vx_zyra_send_raw(libusb_device_handle *devh, uint8_t *data, size_t len, int timeout)
{
    if (devh == nullptr || (data == nullptr && len > 0) || len > INT_MAX)
        return LIBUSB_ERROR_INVALID_PARAM;
    int transferred = 0;
    return libusb_bulk_transfer(devh, zyra::ENDPOINT_OUT, data, static_cast<int>(len), &transferred,
                                zyra::transfer_timeout_ms(timeout));
}

int vx_zyra_clear_cmd(libusb_device_handle *devh, uint8_t *buf)
{
    if (devh == nullptr || buf == nullptr)
        return LIBUSB_ERROR_INVALID_PARAM;
    const int64_t start = zyra::clock_now_seconds();
    for (;;) {
        int transferred = 0;
        const int rc = libusb_bulk_transfer(devh, zyra::ENDPOINT_IN, buf, static_cast<int>(zyra::COMMAND_BUFFER_SIZE),
                                            &transferred, DRAIN_READ_TIMEOUT_MS);
        if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT)
            return rc;
        if (transferred == 0 || zyra::clock_now_seconds() - start >= DRAIN_LIMIT_S)
            return 0;
    }
}

uint8_t vx_zyra_read_hex_byte(const char *pos)
{
    if (pos == nullptr)
        return 0;
    if (has_top_bit(pos[0]))
        return static_cast<uint8_t>(pos[0]);
    if (has_top_bit(pos[1]))
        return static_cast<uint8_t>(pos[1]);
    uint8_t value = 0;
    for (size_t i = 0; i < 2 && intelhex::hexDigit(pos[i]) >= 0; ++i)
        value = static_cast<uint8_t>(value * 16 + intelhex::hexDigit(pos[i]));
    return value;
}

}  // extern "C"
