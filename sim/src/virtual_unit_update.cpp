// The scripting interface of the update protocols and the remote control.
#include "model_lock.h"
#include "unit_impl.h"

namespace zyra_sim {

void VirtualUnit::setBootloaderVersion(uint8_t major, uint8_t minor, uint8_t debug)
{
    lockedWrite(*impl_, &Impl::bootloaderVersion, std::array<uint8_t, 3>{major, minor, debug});
}

void VirtualUnit::setBootloaderConfigLength(size_t length)
{
    lockedWrite(*impl_, &Impl::bootloaderConfigLength, length);
}

void VirtualUnit::setVersionRecordAddress(uint32_t address)
{
    lockedWrite(*impl_, &Impl::versionRecordAddress, address);
}

void VirtualUnit::setEraseTimeMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::eraseTimeMs, ms);
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
    return lockedRead(*impl_, &Impl::eraseCount);
}

int VirtualUnit::dataBlocksWritten() const
{
    return lockedRead(*impl_, &Impl::dataBlocksWritten);
}

int VirtualUnit::rejectedDataBlocks() const
{
    return lockedRead(*impl_, &Impl::rejectedDataBlocks);
}

size_t VirtualUnit::flashOverwrites() const
{
    return lockedRead(*impl_, &Impl::flashOverwrites);
}

std::optional<Firmware> VirtualUnit::flashedImage() const
{
    return lockedRead(*impl_, &Impl::flashedImage);
}

void VirtualUnit::setMacBlockSizes(const std::vector<uint16_t> &sizes, bool capAtRemaining)
{
    ModelLock lock = lockModel();
    impl_->macSizes = sizes.empty() ? std::vector<uint16_t>{64} : sizes;
    impl_->macCapAtRemaining = capAtRemaining;
}

void VirtualUnit::setDaemonLength(std::optional<uint32_t> length)
{
    lockedWrite(*impl_, &Impl::daemonLengthSet, length);
}

void VirtualUnit::setRegionLength(std::optional<uint32_t> length)
{
    lockedWrite(*impl_, &Impl::regionLengthSet, length);
}

void VirtualUnit::setMacVersionOffset(size_t offset)
{
    lockedWrite(*impl_, &Impl::macVersionOffset, offset);
}

void VirtualUnit::setMacStepDelayMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::macStepDelayMs, ms);
}

void VirtualUnit::setMacPullTimeoutMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::macPullTimeoutMs, ms);
}

void VirtualUnit::setEndlessMacPull(bool endless)
{
    lockedWrite(*impl_, &Impl::endlessMacPull, endless);
}

int VirtualUnit::abandonedMacPulls() const
{
    return lockedRead(*impl_, &Impl::abandonedMacPulls);
}

MacUpdate VirtualUnit::macUpdate() const
{
    return lockedRead(*impl_, &Impl::mac);
}

Bytes VirtualUnit::macStartPayload() const
{
    return lockedRead(*impl_, &Impl::macStart);
}

Bytes VirtualUnit::daemonHeader() const
{
    return lockedRead(*impl_, &Impl::daemonHeader);
}

Bytes VirtualUnit::daemonData() const
{
    return lockedRead(*impl_, &Impl::daemonData);
}

Bytes VirtualUnit::macRegion() const
{
    return lockedRead(*impl_, &Impl::macRegion);
}

std::vector<size_t> VirtualUnit::macBlocksReceived() const
{
    return lockedRead(*impl_, &Impl::macBlocks);
}

int VirtualUnit::macOversizedBlocks() const
{
    return lockedRead(*impl_, &Impl::macOversizedBlocks);
}

std::vector<uint8_t> VirtualUnit::keys() const
{
    return lockedRead(*impl_, &Impl::keys);
}

int VirtualUnit::registrationCount() const
{
    return lockedRead(*impl_, &Impl::registrations);
}

PairingStage VirtualUnit::pairingStage() const
{
    ModelLock lock = lockModel();
    if (impl_->menu != Impl::Menu::Pairing)
        return PairingStage::Idle;
    return impl_->menuSelects < Impl::selectsBeforeConfirmation ? PairingStage::Started
                                                                : PairingStage::AwaitingConfirmation;
}

bool VirtualUnit::paired() const
{
    return lockedRead(*impl_, &Impl::paired);
}

}  // namespace zyra_sim
