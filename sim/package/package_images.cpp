#include "package_images.h"

#include "intelhex.h"
#include "mac_image.h"

namespace samplepackage {

namespace {

const size_t xmegaCodeBytes = 4096;

// Deterministic filler bytes (a linear congruential generator).
std::vector<uint8_t> filler(uint32_t seed, size_t count)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed;
    for (uint8_t &b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

std::vector<uint8_t> macHeader(uint8_t kind, size_t regionLength)
{
    std::vector<uint8_t> header(zyra::MAC_HEADER_SIZE, 0);
    header[0] = kind;
    for (size_t i = 0; i < 4; ++i)
        header[zyra::MAC_LENGTH_FIELD + i] = static_cast<uint8_t>(regionLength >> (8 * i));
    return header;
}

void append(std::vector<uint8_t> *to, const std::vector<uint8_t> &bytes)
{
    to->insert(to->end(), bytes.begin(), bytes.end());
}

}  // namespace

std::vector<Description> samplePackages()
{
    return {
        {"firmware", "7", "1.4", {2, 1, 0}, {2, 0, 9}, {5, 1, 0, 2}, 0x5A17},
        {"firmware2k", "7", "2.4", {3, 0, 1}, {3, 0, 0}, {6, 0, 3, 1}, 0x2C0B},
    };
}

std::vector<uint8_t> radioApplicationData(const Description &package, uint8_t side, bool recovery)
{
    std::vector<uint8_t> data = filler(package.seed + side * 7u + (recovery ? 3u : 0u), applicationBytes);
    const std::array<uint8_t, 3> &version = recovery ? package.recoveryVersion : package.applicationVersion;
    std::copy(version.begin(), version.end(), data.begin() + (applicationVersionAddress - applicationBase));
    return data;
}

std::string radioApplication(const Description &package, uint8_t side, bool recovery)
{
    intelhex::WriteOptions options;
    options.withStartAddress = true;
    options.startAddress = applicationBase;
    return intelhex::write({{applicationBase, radioApplicationData(package, side, recovery)}}, options);
}

std::vector<uint8_t> macRegion(const Description &package, uint8_t side, size_t regionBytes)
{
    std::vector<uint8_t> region = filler(package.seed * 3u + side, regionBytes);
    std::copy(package.macVersion.begin(), package.macVersion.end(), region.begin());
    return region;
}

std::string macImage(const Description &package, size_t regionBytes)
{
    std::vector<uint8_t> image;
    append(&image, macHeader(1, regionBytes));
    append(&image, macRegion(package, 1, regionBytes));
    append(&image, macHeader(2, regionBytes));
    append(&image, macRegion(package, 2, regionBytes));
    append(&image, macHeader(3, macDaemonBytes));
    append(&image, filler(package.seed * 5u, macDaemonBytes));
    return std::string(image.begin(), image.end());
}

std::vector<uint8_t> xmegaCode(const Description &package)
{
    return filler(package.seed * 11u, xmegaCodeBytes);
}

std::string xmegaImage(const Description &package)
{
    const std::string marker = "FWv" + package.xmegaVersion;
    std::vector<uint8_t> versionText(marker.begin(), marker.end());
    versionText.push_back(0);
    return intelhex::write({{0, xmegaCode(package)}, {xmegaVersionAddress, versionText}});
}

std::string firmwareIni()
{
    return "[FIRMWARE_TX]\napp=app-tx.hex\nmac=mac.bin\n\n[FIRMWARE_RX]\napp=app-rx.hex\nmac=mac.bin\n";
}

std::string storageIni()
{
    return "[STORAGE_TX]\nrestore=true\n20=1\n21=10, 20, 30\n\n[STORAGE_RX]\nrestore=true\n20=2\n22=7\n";
}

std::vector<File> files(const Description &package)
{
    return {
        {"firmware.ini", firmwareIni()},
        {"storage.ini", storageIni()},
        {"app-tx.hex", radioApplication(package, 1, false)},
        {"app-rx.hex", radioApplication(package, 2, false)},
        {"app-tx-recovery.hex", radioApplication(package, 1, true)},
        {"app-rx-recovery.hex", radioApplication(package, 2, true)},
        {"mac.bin", macImage(package)},
        {"firmware.hex", xmegaImage(package)},
        {"VERSION", package.version + "\n"},
        {"XMEGA_VERSION", package.xmegaVersion + "\n"},
    };
}

}  // namespace samplepackage
