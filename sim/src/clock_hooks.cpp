// The clock the library looks up as weak symbols: virtual time for the tests.
#include "zyra_clock_hooks.h"

#include "zyra_sim/clock.h"

#include <memory>

extern "C" {

int64_t zyra_clock_now_ms(void)
{
    return zyra_sim::Clock::instance().nowMs();
}

void zyra_clock_sleep_ms(int64_t ms)
{
    zyra_sim::Clock::instance().sleepMs(ms);
}

void zyra_clock_call_at_ms(int64_t at_ms, void (*fn)(void *), void *data, void (*release)(void *))
{
    std::shared_ptr<void> owned(data, release);
    zyra_sim::Clock::instance().schedule(at_ms, [fn, owned] { fn(owned.get()); });
}

}  // extern "C"
