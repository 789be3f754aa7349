// The library's only source of time. Every sleep and every deadline goes
// through here so that a virtual unit can run the protocol's seconds and
// minutes in virtual time.
#pragma once

#include <cstdint>

namespace zyra {

// Wall-clock time in whole seconds, as the receive deadline counts it.
int64_t clock_now_seconds();
void clock_sleep_ms(int64_t ms);

}  // namespace zyra
