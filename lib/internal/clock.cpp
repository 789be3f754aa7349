#include "clock.h"

#include "zyra_clock_hooks.h"

#include <chrono>
#include <ctime>
#include <thread>

// Weak undefined references: they add nothing to the library's exports and
// are null when no provider is loaded.
#pragma weak zyra_clock_now_ms
#pragma weak zyra_clock_sleep_ms

namespace zyra {

int64_t clock_now_seconds()
{
    if (zyra_clock_now_ms)
        return zyra_clock_now_ms() / 1000;
    return static_cast<int64_t>(std::time(nullptr));
}

void clock_sleep_ms(int64_t ms)
{
    if (zyra_clock_sleep_ms) {
        zyra_clock_sleep_ms(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace zyra
