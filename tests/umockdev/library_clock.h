// The library's clock hooks for the real-libusb tests: the model's virtual
// clock, so the library's sleeps cost no real time, and a hook that runs
// after each sleep (the emulated bus catches up with the unit there).
#pragma once

#include <functional>

namespace zyra_umockdev {

void setAfterLibrarySleep(std::function<void()> action);

}  // namespace zyra_umockdev
