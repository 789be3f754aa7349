#include "signoflife.h"

#include "zyra_clock_hooks.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

// Weak: null unless a provider such as the virtual unit is loaded.
#pragma weak zyra_clock_now_ms
#pragma weak zyra_clock_call_at_ms

namespace {

bool virtualClock()
{
    return zyra_clock_now_ms && zyra_clock_call_at_ms;
}

int64_t nowMs()
{
    if (virtualClock())
        return zyra_clock_now_ms();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// How often the real-time thread looks.
constexpr std::chrono::milliseconds realTimeLook{500};

}  // namespace

// Shared with the clock's pending call, which may come after the SignOfLife
// is gone. Recursive: a report's receiver may tell of a sign of life. The
// clock is read before the mutex is taken, and the clock's own lock (the
// virtual unit's) never waited for while holding it: the clock calls in
// with its lock held.
struct SignOfLife::State {
    Report report;
    std::recursive_mutex mutex;
    std::condition_variable_any wake;
    bool ended = false;
    bool callPending = false;
    QString what;
    int64_t waitStartMs = 0;
    int64_t lastShownMs = 0;

    // Reports when due.
    void look(int64_t now);
};

namespace {

// On the virtual clock: looks when the next report would be due, and again
// from there while the wait lasts.
void callAt(const std::shared_ptr<SignOfLife::State> &state, int64_t atMs)
{
    zyra_clock_call_at_ms(
        atMs,
        [](void *data) {
            std::shared_ptr<SignOfLife::State> target = static_cast<std::weak_ptr<SignOfLife::State> *>(data)->lock();
            if (!target)
                return;
            std::lock_guard<std::recursive_mutex> lock(target->mutex);
            target->callPending = false;
            target->look(nowMs());
            if (target->ended || target->what.isEmpty())
                return;
            target->callPending = true;
            callAt(target, target->lastShownMs + SignOfLife::intervalMs);
        },
        new std::weak_ptr<SignOfLife::State>(state),
        [](void *data) { delete static_cast<std::weak_ptr<SignOfLife::State> *>(data); });
}

}  // namespace

void SignOfLife::State::look(int64_t now)
{
    std::lock_guard<std::recursive_mutex> lock(mutex);
    if (ended || what.isEmpty() || now - lastShownMs < intervalMs)
        return;
    lastShownMs = now;
    report(what, static_cast<int>((now - waitStartMs) / 1000));
}

SignOfLife::SignOfLife(Report report) : state_(std::make_shared<State>())
{
    state_->report = std::move(report);
    if (virtualClock())
        return;
    ticker_ = std::thread([state = state_] {
        std::unique_lock<std::recursive_mutex> lock(state->mutex);
        while (!state->ended) {
            state->wake.wait_for(lock, realTimeLook);
            state->look(nowMs());
        }
    });
}

SignOfLife::~SignOfLife()
{
    {
        std::lock_guard<std::recursive_mutex> lock(state_->mutex);
        state_->ended = true;
    }
    state_->wake.notify_all();
    if (ticker_.joinable())
        ticker_.join();
}

void SignOfLife::waitFor(const QString &what)
{
    const int64_t now = nowMs();
    int64_t callAtMs = -1;
    {
        std::lock_guard<std::recursive_mutex> lock(state_->mutex);
        if (what != state_->what)
            state_->waitStartMs = now;
        if (state_->what.isEmpty())
            state_->lastShownMs = now;
        state_->what = what;
        if (!what.isEmpty() && virtualClock() && !state_->callPending) {
            state_->callPending = true;
            callAtMs = state_->lastShownMs + intervalMs;
        }
    }
    if (callAtMs >= 0)
        callAt(state_, callAtMs);
}

QString SignOfLife::waitingFor() const
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    return state_->what;
}

void SignOfLife::shown()
{
    const int64_t now = nowMs();
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    state_->lastShownMs = now;
}

Waiting::Waiting(SignOfLife &signOfLife, const QString &what)
    : signOfLife_(signOfLife), previous_(signOfLife.waitingFor())
{
    signOfLife_.waitFor(what);
}

Waiting::~Waiting()
{
    signOfLife_.waitFor(previous_);
}
