// The unit on and off the bus: restarts, drop-outs, reopen attempts.
#include "unit_impl.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

bool VirtualUnit::Impl::presentNow(int64_t nowMs)
{
    if (!onBus && nowMs >= backAtMs && failedOpens >= opensBeforeBack)
        comeBack();
    return onBus;
}

bool VirtualUnit::Impl::tryOpen(int64_t nowMs)
{
    if (presentNow(nowMs))
        return true;
    ++failedOpens;
    return false;
}

void VirtualUnit::Impl::dropOffBus(int64_t nowMs, int64_t backAfterMs, int backAfterOpenAttempts)
{
    onBus = false;
    ++generation;
    in.clear();
    backAtMs = nowMs + backAfterMs;
    opensBeforeBack = backAfterOpenAttempts;
    failedOpens = 0;
    bootTarget = running;  // a unit that merely drops out comes back as it was
}

void VirtualUnit::Impl::comeBack()
{
    onBus = true;
    in.clear();
    precede.clear();
    noiseSinceMs = Clock::instance().nowMs();
    running = bootTarget;
    if (running == Firmware::Application)
        startFlashedApplication();
    radioLosesPower();
}

void VirtualUnit::Impl::restartInto(Firmware target)
{
    ++restartCount;
    after(restartDropDelayMs, [target](VirtualUnit &unit) {
        Impl &impl = unit.impl();
        impl.dropOffBus(Clock::instance().nowMs(), impl.restartTimeMs, 0);
        impl.bootTarget = target;
        impl.menu = Menu::None;
    });
}

}  // namespace zyra_sim
