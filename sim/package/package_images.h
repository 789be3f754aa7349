// The contents of the sample firmware packages, for the generator and for
// tests that compare what reached the virtual unit with what the package
// holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace samplepackage {

struct Description {
    std::string directory;     // "firmware" or "firmware2k"
    std::string version;       // text of VERSION
    std::string xmegaVersion;  // text of XMEGA_VERSION; firmware.hex says "FWv" and it
    std::array<uint8_t, 3> applicationVersion;
    std::array<uint8_t, 3> recoveryVersion;
    std::array<uint8_t, 4> macVersion;
    uint32_t seed;  // of the images' filler bytes
};

struct File {
    std::string name;
    std::string content;
};

std::vector<Description> samplePackages();
std::vector<File> files(const Description &package);

// Radio application image for side 1 (TX) or 2 (RX): Intel HEX, 16-byte
// records from linear address applicationBase, with the version bytes at
// applicationVersionAddress.
const uint32_t applicationBase = 0x08005800;
const uint32_t applicationVersionAddress = 0x08005C00;
const size_t applicationBytes = 2048;
std::string radioApplication(const Description &package, uint8_t side, bool recovery);
// The bytes a radio application image puts into flash from applicationBase.
std::vector<uint8_t> radioApplicationData(const Description &package, uint8_t side, bool recovery);

// Radio MAC image: TX, RX and daemon regions, each behind a 33-byte header
// with its length at bytes 25-28 (little-endian). The package's regions are
// small; a test of a realistic update asks for larger ones.
const size_t macRegionBytes = 1024;
const size_t macDaemonBytes = 256;
std::vector<uint8_t> macRegion(const Description &package, uint8_t side, size_t regionBytes = macRegionBytes);
std::string macImage(const Description &package, size_t regionBytes = macRegionBytes);

// XMEGA application image: code from address 0 and "FWv<xmegaVersion>" at 0x1DE00.
const uint32_t xmegaVersionAddress = 0x1DE00;
std::string xmegaImage(const Description &package);
// The code bytes of the XMEGA image, from address 0.
std::vector<uint8_t> xmegaCode(const Description &package);

std::string firmwareIni();
std::string storageIni();

}  // namespace samplepackage
