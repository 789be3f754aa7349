// What the unit says it is: its side, versions, signature and serial.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zyra_sim {

class IdentityFacet
{
public:
    // Also installs that side's default storage cells.
    void setSide(uint8_t side);
    uint8_t side() const;
    void setAppVersion(uint8_t major, uint8_t minor, uint8_t debug);
    std::array<uint8_t, 3> appVersion() const;
    void setSignature(const std::string &signature);
    // Register 0x0010, 4 bytes.
    void setMacVersion(uint8_t major, uint8_t minor, uint8_t debug, uint8_t build);
    // Register 0x0030, 64 bytes.
    void setBoardSerial(const std::array<uint8_t, 64> &serial);

protected:
    IdentityFacet() = default;
    ~IdentityFacet() = default;
};

}  // namespace zyra_sim
