#include "zyra_sim/facet_identity.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

namespace {

constexpr uint16_t macVersionRegister = 0x0010;
constexpr uint16_t boardSerialRegister = 0x0030;

}  // namespace

void IdentityFacet::setSide(uint8_t side)
{
    ModelLock lock = lockModel();
    modelOf(this).side = side;
    modelOf(this).installSideDefaults();
}

uint8_t IdentityFacet::side() const
{
    return lockedRead(modelOf(this), &Impl::side);
}

void IdentityFacet::setAppVersion(uint8_t major, uint8_t minor, uint8_t debug)
{
    lockedWrite(modelOf(this), &Impl::appVersion, std::array<uint8_t, 3>{major, minor, debug});
}

std::array<uint8_t, 3> IdentityFacet::appVersion() const
{
    return lockedRead(modelOf(this), &Impl::appVersion);
}

void IdentityFacet::setSignature(const std::string &signature)
{
    lockedWrite(modelOf(this), &Impl::signature, signature);
}

void IdentityFacet::setMacVersion(uint8_t major, uint8_t minor, uint8_t debug, uint8_t build)
{
    unitOf(this).writeRegisters(macVersionRegister, {major, minor, debug, build});
}

void IdentityFacet::setBoardSerial(const std::array<uint8_t, 64> &serial)
{
    unitOf(this).writeRegisters(boardSerialRegister, Bytes(serial.begin(), serial.end()));
}

}  // namespace zyra_sim
