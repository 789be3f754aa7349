// Progress of a firmware update as the caller's callback sees it.
#pragma once

#include <cstdint>

#include "vx_zyra.h"

namespace zyra {

class Progress
{
public:
    Progress(firmware_callback_f callback, void *user_data) : callback_(callback), user_data_(user_data) {}

    void report(const char *message, int percent) const;

    // Reports message with base + done * scale / total whenever that step
    // value changes; the last value starts at 0 and is kept across stages.
    void step(const char *message, int base, int scale, uint64_t done, uint64_t total);
    // Starts counting step values from 0 again.
    void restart_steps() { last_step_ = 0; }

private:
    firmware_callback_f callback_;
    void *user_data_;
    uint64_t last_step_ = 0;
};

}  // namespace zyra
