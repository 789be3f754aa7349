#include "zyra_sim/facet_presence.h"

#include "facet_access.h"
#include "model_lock.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

void PresenceFacet::dropOffBus(int64_t backAfterMs, int backAfterOpenAttempts)
{
    ModelLock lock = lockModel();
    modelOf(this).dropOffBus(Clock::instance().nowMs(), backAfterMs, backAfterOpenAttempts);
}

bool PresenceFacet::present() const
{
    ModelLock lock = lockModel();
    return modelOf(this).presentNow(Clock::instance().nowMs());
}

void PresenceFacet::setRestartTimeMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::restartTimeMs, ms);
}

void PresenceFacet::setRestartDropDelayMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::restartDropDelayMs, ms);
}

int PresenceFacet::restartCount() const
{
    return lockedRead(modelOf(this), &Impl::restartCount);
}

void PresenceFacet::refuseClaim(int times)
{
    lockedWrite(modelOf(this), &Impl::claimRefusals, times);
}

}  // namespace zyra_sim
