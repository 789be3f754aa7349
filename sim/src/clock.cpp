#include "zyra_sim/clock.h"

#include <chrono>
#include <thread>

#include "model_lock.h"

namespace zyra_sim {

namespace {

int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::recursive_mutex &modelMutex()
{
    static auto *mutex = new std::recursive_mutex;
    return *mutex;
}

Clock &Clock::instance()
{
    static auto *clock = new Clock;
    return *clock;
}

int64_t Clock::nowMs() const
{
    ModelLock lock = lockModel();
    return real_ ? (steadyMs() - realOriginMs_) * scale_ : virtualMs_;
}

void Clock::sleepMs(int64_t ms)
{
    ModelLock lock = lockModel();
    sleeps_.push_back(ms);
    lock.unlock();
    advanceMs(ms);
}

void Clock::advanceMs(int64_t ms)
{
    if (ms < 0)
        ms = 0;
    ModelLock lock = lockModel();
    int64_t target = nowMs() + ms;
    lock.unlock();
    advanceTo(target);
}

std::vector<int64_t> Clock::sleeps() const
{
    ModelLock lock = lockModel();
    return sleeps_;
}

void Clock::clearSleeps()
{
    ModelLock lock = lockModel();
    sleeps_.clear();
}

void Clock::setRealTime(bool real)
{
    ModelLock lock = lockModel();
    if (real == real_)
        return;
    if (real)
        realOriginMs_ = steadyMs() - virtualMs_ / scale_;
    else
        virtualMs_ = (steadyMs() - realOriginMs_) * scale_;
    real_ = real;
}

void Clock::setTimeScale(int divisor)
{
    ModelLock lock = lockModel();
    scale_ = divisor > 1 ? divisor : 1;
}

bool Clock::realTime() const
{
    ModelLock lock = lockModel();
    return real_;
}

void Clock::reset()
{
    ModelLock lock = lockModel();
    virtualMs_ = 0;
    realOriginMs_ = 0;
    real_ = false;
    scale_ = 1;
    sleeps_.clear();
    due_.clear();
}

void Clock::schedule(int64_t atMs, std::function<void()> action)
{
    ModelLock lock = lockModel();
    due_.emplace(atMs, std::move(action));
}

std::optional<int64_t> Clock::nextDueMs() const
{
    ModelLock lock = lockModel();
    if (due_.empty())
        return std::nullopt;
    return due_.begin()->first;
}

void Clock::advanceTo(int64_t atMs)
{
    ModelLock lock = lockModel();
    if (real_) {
        // Real waits leave the model unlocked so that the test thread can
        // script the unit meanwhile; callers wait without holding the lock.
        int64_t wait = (atMs - nowMs() + scale_ - 1) / scale_;
        lock.unlock();
        if (wait > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        runDue();
        return;
    }
    while (!due_.empty() && due_.begin()->first <= atMs) {
        auto next = due_.begin();
        if (next->first > virtualMs_)
            virtualMs_ = next->first;
        std::function<void()> action = std::move(next->second);
        due_.erase(next);
        action();
    }
    if (atMs > virtualMs_)
        virtualMs_ = atMs;
}

void Clock::runDue()
{
    ModelLock lock = lockModel();
    if (!real_) {
        advanceTo(virtualMs_);
        return;
    }
    while (!due_.empty() && due_.begin()->first <= nowMs()) {
        auto next = due_.begin();
        std::function<void()> action = std::move(next->second);
        due_.erase(next);
        action();
    }
}

}  // namespace zyra_sim
