#include "library_clock.h"

#include "zyra_clock_hooks.h"
#include "zyra_sim/clock.h"

namespace zyra_umockdev {
namespace {

std::function<void()> &afterSleep()
{
    static std::function<void()> action;
    return action;
}

}  // namespace

void setAfterLibrarySleep(std::function<void()> action)
{
    afterSleep() = std::move(action);
}

}  // namespace zyra_umockdev

// zyra_model leaves these to the process; zyra_sim's versions come with the
// libusb drop-in, which these tests must not have.
extern "C" {

int64_t zyra_clock_now_ms(void)
{
    return zyra_sim::Clock::instance().nowMs();
}

void zyra_clock_sleep_ms(int64_t ms)
{
    zyra_sim::Clock::instance().sleepMs(ms);
    if (zyra_umockdev::afterSleep())
        zyra_umockdev::afterSleep()();
}

}  // extern "C"
