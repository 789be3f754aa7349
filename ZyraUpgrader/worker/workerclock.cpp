#include "workerclock.h"

#include "zyra_clock_hooks.h"

#include <QThread>

#include <atomic>

// Weak: null unless a provider such as the virtual unit is loaded.
#pragma weak zyra_clock_sleep_ms

namespace workerclock {

namespace {
std::atomic<int> processWait{30000};
}

void sleepSeconds(int seconds)
{
    if (zyra_clock_sleep_ms) {
        zyra_clock_sleep_ms(int64_t{seconds} * 1000);
        return;
    }
    QThread::sleep(static_cast<unsigned long>(seconds));
}

int processWaitMs()
{
    return processWait.load();
}

void setProcessWaitMs(int ms)
{
    processWait.store(ms);
}

}  // namespace workerclock
