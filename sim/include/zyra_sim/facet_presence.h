// The unit on the bus: leaving and coming back, restarts, claims.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>

namespace zyra_sim {

class PresenceFacet
{
public:
    // Leaves the bus now: open handles go stale (LIBUSB_ERROR_NO_DEVICE) and
    // opens fail until backAfterMs have passed and, in addition, at least
    // backAfterOpenAttempts further open attempts were made (and failed).
    // The unit that comes back is fresh: IN data pending before is lost.
    void dropOffBus(int64_t backAfterMs, int backAfterOpenAttempts = 0);
    bool present() const;
    // Time a restart keeps the unit off the bus (default 3000 ms).
    void setRestartTimeMs(int64_t ms);
    // Time between a restart command's answer and the unit leaving the bus
    // (default 100 ms), so the host can read the answer.
    void setRestartDropDelayMs(int64_t ms);
    int restartCount() const;
    // The next `times` claims of interface 0 fail with LIBUSB_ERROR_BUSY.
    void refuseClaim(int times);

protected:
    PresenceFacet() = default;
    ~PresenceFacet() = default;
};

}  // namespace zyra_sim
