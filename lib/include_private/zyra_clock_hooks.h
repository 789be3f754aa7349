// The clock a process may give the library and the worker, so that their
// sleeps and deadlines run in its time: the virtual unit and the test
// stand-ins define these. The library and the worker declare them weak where
// they call them (a process without a provider leaves them null and the real
// clock is used); providers define them as ordinary functions.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Default visibility: the provider lives in another shared object.
__attribute__((visibility("default"))) int64_t zyra_clock_now_ms(void);
__attribute__((visibility("default"))) void zyra_clock_sleep_ms(int64_t ms);
// Calls fn(data) once the clock reaches at_ms, on the thread that advances it
// there; release(data) follows, also for a call that never comes (the clock
// reset). Only the worker uses it, for its reports while it waits.
__attribute__((visibility("default"))) void zyra_clock_call_at_ms(int64_t at_ms, void (*fn)(void *), void *data,
                                                                  void (*release)(void *));

#ifdef __cplusplus
}
#endif
