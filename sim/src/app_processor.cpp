// The application processor's update commands: bootloader hand-over, erase,
// data blocks into flash, completion.
#include "command_codes.h"
#include "unit_impl.h"

namespace zyra_sim {

namespace {

constexpr size_t blockHeaderSize = 8;  // word count, address
constexpr size_t maxBlockData = 64;    // the bootloader's receive buffer

}  // namespace

bool VirtualUnit::Impl::oldBootloader() const
{
    if (bootloaderConfigLength < bootloaderVersion.size())
        return true;
    const auto &[major, minor, debug] = bootloaderVersion;
    return major < 2 || (major == 2 && minor == 0 && debug <= 5);
}

void VirtualUnit::Impl::startFlashedApplication()
{
    if (!imageFromModel)
        return;
    Bytes record = flash.read(versionRecordAddress, 3);
    appVersion = {record[0], record[1], record[2]};
}

void VirtualUnit::Impl::isBootloader(const ReceivedFrame &frame)
{
    send(frame.code, running == Firmware::Application ? Bytes{0x00} : Bytes{0x01, 0x00});
}

void VirtualUnit::Impl::execBootloader(const ReceivedFrame &frame)
{
    send(frame.code, {});
    restartInto(Firmware::Bootloader);
}

void VirtualUnit::Impl::bootloaderConfig(const ReceivedFrame &frame)
{
    Bytes config(bootloaderVersion.begin(), bootloaderVersion.end());
    config.resize(bootloaderConfigLength, 0x00);
    send(frame.code, config);
}

void VirtualUnit::Impl::startUpgrade(const ReceivedFrame &frame)
{
    send(frame.code, {});
    flash.erase();
    erased = true;
    flashedImage.reset();
    ++eraseCount;
    sendAfter(eraseTimeMs, cmd::eraseDone, {});
}

void VirtualUnit::Impl::firmwareDataBlock(const ReceivedFrame &frame)
{
    const Bytes &payload = frame.payload;
    if (!erased || payload.size() < blockHeaderSize || payload.size() - blockHeaderSize > maxBlockData) {
        ++rejectedDataBlocks;
        return;
    }
    Bytes data(payload.begin() + blockHeaderSize, payload.end());
    if (le32(payload, 0) != (data.size() + 3) / 4) {
        ++rejectedDataBlocks;
        return;
    }
    flashOverwrites += flash.write(le32(payload, 4), data);
    ++dataBlocksWritten;
    send(frame.code, {});
}

void VirtualUnit::Impl::firmwareUpdateCompleted(const ReceivedFrame &frame)
{
    send(frame.code, {});
    if (!erased)
        return;
    erased = false;
    flashedImage = running == Firmware::Bootloader && oldBootloader() ? Firmware::BootAgent : Firmware::Application;
    imageFromModel = true;
}

}  // namespace zyra_sim
