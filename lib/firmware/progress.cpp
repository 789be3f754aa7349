#include "firmware/progress.h"

#include <cstdio>

namespace zyra {

void Progress::report(const char *message, int percent) const
{
    if (callback_ == nullptr)
        return;
    // The callback takes a mutable text: hand it a copy it may change.
    char text[64];
    std::snprintf(text, sizeof text, "%s", message);
    callback_(text, percent, user_data_);
}

void Progress::step(const char *message, int base, int scale, uint64_t done, uint64_t total)
{
    // 64-bit: done * scale overflows 32 bits for images above 100 MB.
    uint64_t value = total == 0 ? 0 : done * static_cast<uint64_t>(scale) / total;
    if (value == last_step_)
        return;
    last_step_ = value;
    report(message, base + static_cast<int>(value));
}

}  // namespace zyra
