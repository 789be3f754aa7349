#include "zyra_sim/facet_flash.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

Firmware FlashFacet::running() const
{
    return lockedRead(modelOf(this), &Impl::running);
}

void FlashFacet::setRunning(Firmware firmware)
{
    lockedWrite(modelOf(this), &Impl::running, firmware);
}

void FlashFacet::setBootloaderVersion(uint8_t major, uint8_t minor, uint8_t debug)
{
    lockedWrite(modelOf(this), &Impl::bootloaderVersion, std::array<uint8_t, 3>{major, minor, debug});
}

void FlashFacet::setBootloaderConfigLength(size_t length)
{
    lockedWrite(modelOf(this), &Impl::bootloaderConfigLength, length);
}

void FlashFacet::setVersionRecordAddress(uint32_t address)
{
    lockedWrite(modelOf(this), &Impl::versionRecordAddress, address);
}

void FlashFacet::setEraseTimeMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::eraseTimeMs, ms);
}

Bytes FlashFacet::flash(uint32_t address, size_t count) const
{
    ModelLock lock = lockModel();
    return modelOf(this).flash.read(address, count);
}

std::map<uint32_t, Bytes> FlashFacet::flashSegments() const
{
    ModelLock lock = lockModel();
    return modelOf(this).flash.segments();
}

size_t FlashFacet::flashBytesWritten() const
{
    ModelLock lock = lockModel();
    return modelOf(this).flash.bytesWritten();
}

int FlashFacet::eraseCount() const
{
    return lockedRead(modelOf(this), &Impl::eraseCount);
}

int FlashFacet::dataBlocksWritten() const
{
    return lockedRead(modelOf(this), &Impl::dataBlocksWritten);
}

int FlashFacet::rejectedDataBlocks() const
{
    return lockedRead(modelOf(this), &Impl::rejectedDataBlocks);
}

size_t FlashFacet::flashOverwrites() const
{
    return lockedRead(modelOf(this), &Impl::flashOverwrites);
}

std::optional<Firmware> FlashFacet::flashedImage() const
{
    return lockedRead(modelOf(this), &Impl::flashedImage);
}

}  // namespace zyra_sim
