// The scripting interface of the update protocols and the remote control.
#include "model_lock.h"
#include "unit_impl.h"

namespace zyra_sim {

void VirtualUnit::setBootloaderVersion(uint8_t major, uint8_t minor, uint8_t debug)
{
    ModelLock lock = lockModel();
    impl_->bootloaderVersion = {major, minor, debug};
}

void VirtualUnit::setVersionRecordAddress(uint32_t address)
{
    ModelLock lock = lockModel();
    impl_->versionRecordAddress = address;
}

void VirtualUnit::setEraseTimeMs(int64_t ms)
{
    ModelLock lock = lockModel();
    impl_->eraseTimeMs = ms;
}

Bytes VirtualUnit::flash(uint32_t address, size_t count) const
{
    ModelLock lock = lockModel();
    return impl_->flash.read(address, count);
}

std::map<uint32_t, Bytes> VirtualUnit::flashSegments() const
{
    ModelLock lock = lockModel();
    return impl_->flash.segments();
}

size_t VirtualUnit::flashBytesWritten() const
{
    ModelLock lock = lockModel();
    return impl_->flash.bytesWritten();
}

int VirtualUnit::eraseCount() const
{
    ModelLock lock = lockModel();
    return impl_->eraseCount;
}

int VirtualUnit::dataBlocksWritten() const
{
    ModelLock lock = lockModel();
    return impl_->dataBlocksWritten;
}

int VirtualUnit::rejectedDataBlocks() const
{
    ModelLock lock = lockModel();
    return impl_->rejectedDataBlocks;
}

size_t VirtualUnit::flashOverwrites() const
{
    ModelLock lock = lockModel();
    return impl_->flashOverwrites;
}

std::optional<Firmware> VirtualUnit::flashedImage() const
{
    ModelLock lock = lockModel();
    return impl_->flashedImage;
}

void VirtualUnit::setMacBlockSizes(const std::vector<uint16_t> &sizes, bool capAtRemaining)
{
    ModelLock lock = lockModel();
    impl_->macSizes = sizes.empty() ? std::vector<uint16_t>{64} : sizes;
    impl_->macCapAtRemaining = capAtRemaining;
}

void VirtualUnit::setDaemonLength(std::optional<uint32_t> length)
{
    ModelLock lock = lockModel();
    impl_->daemonLengthSet = length;
}

void VirtualUnit::setRegionLength(std::optional<uint32_t> length)
{
    ModelLock lock = lockModel();
    impl_->regionLengthSet = length;
}

void VirtualUnit::setMacVersionOffset(size_t offset)
{
    ModelLock lock = lockModel();
    impl_->macVersionOffset = offset;
}

void VirtualUnit::setMacStepDelayMs(int64_t ms)
{
    ModelLock lock = lockModel();
    impl_->macStepDelayMs = ms;
}

MacUpdate VirtualUnit::macUpdate() const
{
    ModelLock lock = lockModel();
    return impl_->mac;
}

Bytes VirtualUnit::macStartPayload() const
{
    ModelLock lock = lockModel();
    return impl_->macStart;
}

Bytes VirtualUnit::daemonHeader() const
{
    ModelLock lock = lockModel();
    return impl_->daemonHeader;
}

Bytes VirtualUnit::daemonData() const
{
    ModelLock lock = lockModel();
    return impl_->daemonData;
}

Bytes VirtualUnit::macRegion() const
{
    ModelLock lock = lockModel();
    return impl_->macRegion;
}

std::vector<size_t> VirtualUnit::macBlocksReceived() const
{
    ModelLock lock = lockModel();
    return impl_->macBlocks;
}

int VirtualUnit::macOversizedBlocks() const
{
    ModelLock lock = lockModel();
    return impl_->macOversizedBlocks;
}

std::vector<uint8_t> VirtualUnit::keys() const
{
    ModelLock lock = lockModel();
    return impl_->keys;
}

int VirtualUnit::registrationCount() const
{
    ModelLock lock = lockModel();
    return impl_->registrations;
}

}  // namespace zyra_sim
