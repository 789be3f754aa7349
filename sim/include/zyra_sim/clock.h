// Virtual time shared by the virtual unit, its libusb drop-in and the
// library's clock hooks. Virtual by default: a sleep advances time at once
// and an IN transfer with nothing to read "waits" its timeout.
//
// Thread-safe: the clock, the bus and every unit share one model mutex, which
// is never held while the clock really sleeps (real-time mode).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace zyra_sim {

class Clock
{
public:
    static Clock &instance();

    int64_t nowMs() const;
    // A sleep requested through the library's clock hook; recorded.
    void sleepMs(int64_t ms);
    // Advances time without recording a sleep (transfer waits, tests).
    void advanceMs(int64_t ms);

    // Every sleep the library asked for, in order (milliseconds).
    std::vector<int64_t> sleeps() const;
    void clearSleeps();

    // Real time for the demo: sleeps and waits take real time.
    void setRealTime(bool real);
    bool realTime() const;
    // Real time running faster by divisor (at least 1): a 10 s wait of the
    // unit takes 10 / divisor s, so that units in several processes still
    // wait side by side, as in a batch. Set before real time is switched on.
    void setTimeScale(int divisor);

    // Back to time 0, virtual, no recorded sleeps, nothing scheduled.
    void reset();

    // Runs action once time reaches atMs: while time advances (a sleep, an IN
    // wait) actions run in time order, each at its own time. Actions at the
    // same time run in the order they were scheduled.
    void schedule(int64_t atMs, std::function<void()> action);
    std::optional<int64_t> nextDueMs() const;
    // Moves virtual time forward to atMs (never back), running what falls due.
    void advanceTo(int64_t atMs);
    // Runs the actions due by now (real-time mode polls through this).
    void runDue();

private:
    Clock() = default;
    int64_t virtualMs_ = 0;
    int64_t realOriginMs_ = 0;
    bool real_ = false;
    int64_t scale_ = 1;
    std::vector<int64_t> sleeps_;
    std::multimap<int64_t, std::function<void()>> due_;
};

}  // namespace zyra_sim
