// While a step waits, the user is told every few seconds what it waits for
// and for how long, unless something else they can see (a progress report)
// has happened meanwhile. The seconds are the clock's: the virtual unit's in
// tests, where the reports come from the thread that advances it, real time
// otherwise, where they come from a thread of their own.
#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <thread>

class SignOfLife
{
public:
    // Called with the wait's text and its seconds so far.
    using Report = std::function<void(const QString &what, int seconds)>;
    // Reports after this long without a sign of life.
    static constexpr int intervalMs = 5000;

    explicit SignOfLife(Report report);
    ~SignOfLife();
    SignOfLife(const SignOfLife &) = delete;
    SignOfLife &operator=(const SignOfLife &) = delete;

    // From now on the step waits for `what`, the seconds counted from now;
    // empty: no wait, nothing is reported.
    void waitFor(const QString &what);
    QString waitingFor() const;
    // Something the user sees happened: the silence starts again.
    void shown();

    struct State;

private:
    std::shared_ptr<State> state_;
    std::thread ticker_;
};

// Names the wait of a scope, the one before it again after it.
class Waiting
{
public:
    Waiting(SignOfLife &signOfLife, const QString &what);
    ~Waiting();
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

private:
    SignOfLife &signOfLife_;
    QString previous_;
};
