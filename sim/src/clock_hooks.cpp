// The clock the library looks up as weak symbols: virtual time for the tests.
#include "zyra_clock_hooks.h"

#include "zyra_sim/clock.h"

extern "C" {

int64_t zyra_clock_now_ms(void)
{
    return zyra_sim::Clock::instance().nowMs();
}

void zyra_clock_sleep_ms(int64_t ms)
{
    zyra_sim::Clock::instance().sleepMs(ms);
}

}  // extern "C"
