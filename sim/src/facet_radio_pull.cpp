#include "zyra_sim/facet_radio_pull.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

void RadioPullFacet::setMacBlockSizes(const std::vector<uint16_t> &sizes, bool capAtRemaining)
{
    ModelLock lock = lockModel();
    modelOf(this).macSizes = sizes.empty() ? std::vector<uint16_t>{64} : sizes;
    modelOf(this).macCapAtRemaining = capAtRemaining;
}

void RadioPullFacet::setDaemonLength(std::optional<uint32_t> length)
{
    lockedWrite(modelOf(this), &Impl::daemonLengthSet, length);
}

void RadioPullFacet::setRegionLength(std::optional<uint32_t> length)
{
    lockedWrite(modelOf(this), &Impl::regionLengthSet, length);
}

void RadioPullFacet::setMacVersionOffset(size_t offset)
{
    lockedWrite(modelOf(this), &Impl::macVersionOffset, offset);
}

void RadioPullFacet::setMacStepDelayMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::macStepDelayMs, ms);
}

void RadioPullFacet::setMacPullTimeoutMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::macPullTimeoutMs, ms);
}

void RadioPullFacet::setEndlessMacPull(bool endless)
{
    lockedWrite(modelOf(this), &Impl::endlessMacPull, endless);
}

int RadioPullFacet::abandonedMacPulls() const
{
    return lockedRead(modelOf(this), &Impl::abandonedMacPulls);
}

MacUpdate RadioPullFacet::macUpdate() const
{
    return lockedRead(modelOf(this), &Impl::mac);
}

Bytes RadioPullFacet::macStartPayload() const
{
    return lockedRead(modelOf(this), &Impl::macStart);
}

Bytes RadioPullFacet::daemonHeader() const
{
    return lockedRead(modelOf(this), &Impl::daemonHeader);
}

Bytes RadioPullFacet::daemonData() const
{
    return lockedRead(modelOf(this), &Impl::daemonData);
}

Bytes RadioPullFacet::macRegion() const
{
    return lockedRead(modelOf(this), &Impl::macRegion);
}

std::vector<size_t> RadioPullFacet::macBlocksReceived() const
{
    return lockedRead(modelOf(this), &Impl::macBlocks);
}

int RadioPullFacet::macOversizedBlocks() const
{
    return lockedRead(modelOf(this), &Impl::macOversizedBlocks);
}

}  // namespace zyra_sim
