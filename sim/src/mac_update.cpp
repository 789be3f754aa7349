// The radio (MAC) update as the unit drives it: it pulls the daemon and then
// the firmware region from the host, one requested block at a time.
#include <algorithm>

#include "command_codes.h"
#include "mac_image.h"
#include "unit_impl.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

namespace {

constexpr size_t startPayloadSize = 29;  // 01 00, then bytes 0-26 of a region header
constexpr size_t headerSize = zyra::MAC_HEADER_SIZE;
constexpr size_t headerLengthField = zyra::MAC_LENGTH_FIELD;
constexpr uint16_t macVersionRegister = 0x0010;

}  // namespace

void VirtualUnit::Impl::updateMacStart(const ReceivedFrame &frame)
{
    const Bytes &payload = frame.payload;
    if (payload.size() != startPayloadSize || payload[0] != 0x01 || payload[1] != 0x00)
        return;
    macStart = payload;
    daemonHeader.clear();
    daemonData.clear();
    macRegion.clear();
    macBlocks.clear();
    sendAfter(macStepDelayMs, cmd::bootLoaderStarted, {});
    startPull(MacUpdate::PullingDaemonHeader, headerSize);
}

bool VirtualUnit::Impl::pullingMacData() const
{
    return mac == MacUpdate::PullingDaemonHeader || mac == MacUpdate::PullingDaemon || mac == MacUpdate::PullingRegion;
}

void VirtualUnit::Impl::startPull(MacUpdate phase, uint32_t length)
{
    mac = phase;
    pullLength = length;
    pulled = 0;
    macSizeIndex = 0;
    requestNextBlock();
}

void VirtualUnit::Impl::requestNextBlock()
{
    uint32_t left = pullLength - pulled;
    uint16_t size = mac == MacUpdate::PullingDaemonHeader ? headerSize : macSizes[macSizeIndex++ % macSizes.size()];
    if (macCapAtRemaining && size > left)
        size = static_cast<uint16_t>(left);
    lastRequest = size;
    macPullActiveMs = Clock::instance().nowMs() + macStepDelayMs;
    Bytes request{static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
    for (int shift = 0; shift < 32; shift += 8)
        request.push_back(static_cast<uint8_t>(pulled >> shift));
    sendAfter(macStepDelayMs, cmd::dataByte, request);
}

void VirtualUnit::Impl::takeMacData(const Bytes &block)
{
    macPullActiveMs = Clock::instance().nowMs();
    macBlocks.push_back(block.size());
    if (block.size() > lastRequest)
        ++macOversizedBlocks;
    if (mac == MacUpdate::PullingDaemonHeader) {
        daemonHeader = block;
        uint32_t length = daemonHeader.size() >= headerLengthField + 4 ? le32(daemonHeader, headerLengthField) : 0;
        length = daemonLengthSet.value_or(length);
        if (length > 0)
            startPull(MacUpdate::PullingDaemon, length);
        else
            daemonReceived();
        return;
    }
    Bytes &target = mac == MacUpdate::PullingDaemon ? daemonData : macRegion;
    target.insert(target.end(), block.begin(), block.end());
    pulled += static_cast<uint32_t>(std::min<size_t>(block.size(), pullLength - pulled));
    if (pulled < pullLength) {
        requestNextBlock();
        return;
    }
    if (mac == MacUpdate::PullingDaemon)
        daemonReceived();
    else
        mac = MacUpdate::Complete;
}

void VirtualUnit::Impl::daemonReceived()
{
    sendAfter(macStepDelayMs, cmd::bootLoaderReady, {});
    uint32_t length = regionLengthSet.value_or(le16(macStart, 2 + headerLengthField));
    if (length > 0)
        startPull(MacUpdate::PullingRegion, length);
    else
        mac = MacUpdate::Complete;
}

void VirtualUnit::Impl::finishMacUpdateAtRestart()
{
    if (mac == MacUpdate::Idle)
        return;
    Bytes version(4, 0x00);
    if (mac == MacUpdate::Complete && macRegion.size() >= macVersionOffset + version.size())
        version.assign(macRegion.begin() + static_cast<std::ptrdiff_t>(macVersionOffset),
                       macRegion.begin() + static_cast<std::ptrdiff_t>(macVersionOffset + version.size()));
    for (size_t i = 0; i < version.size(); ++i)
        registers[macVersionRegister + i] = version[i];
    mac = MacUpdate::Idle;
}

void VirtualUnit::Impl::expireIdleMacPull(int64_t nowMs)
{
    if (endlessMacPull || !pullingMacData() || nowMs - macPullActiveMs < macPullTimeoutMs)
        return;
    ++abandonedMacPulls;
    finishMacUpdateAtRestart();
}

void VirtualUnit::Impl::radioLosesPower()
{
    if (endlessMacPull && pullingMacData())
        return;
    if (pullingMacData())
        ++abandonedMacPulls;
    finishMacUpdateAtRestart();
}

}  // namespace zyra_sim
