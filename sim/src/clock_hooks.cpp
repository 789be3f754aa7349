// The clock the library looks up as weak symbols: virtual time for the tests.
#include <cstdint>

#include "zyra_sim/clock.h"

extern "C" {

__attribute__((visibility("default"))) int64_t zyra_clock_now_ms(void)
{
    return zyra_sim::Clock::instance().nowMs();
}

__attribute__((visibility("default"))) void zyra_clock_sleep_ms(int64_t ms)
{
    zyra_sim::Clock::instance().sleepMs(ms);
}

}  // extern "C"
