// The library's only source of time. Every sleep and every deadline goes
// through here so that a virtual unit can run the protocol's seconds and
// minutes in virtual time.
#pragma once

#include <cstdint>

extern "C" {
// Optional clock provided by the process (the virtual unit defines these).
// Weak undefined references: they add nothing to the library's exports and
// resolve to null when no provider is loaded, so the real clock is used.
__attribute__((weak, visibility("default"))) int64_t zyra_clock_now_ms(void);
__attribute__((weak, visibility("default"))) void zyra_clock_sleep_ms(int64_t ms);
}

namespace zyra {

// Wall-clock time in whole seconds, as the receive deadline counts it.
int64_t clock_now_seconds();
void clock_sleep_ms(int64_t ms);

}  // namespace zyra
