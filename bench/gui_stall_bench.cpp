// Benchmark, not a test: a full update of a virtual 2K TX through the
// program's windows in virtual time, printing the GUI thread's longest
// stall (the worst lateness of a repeating 1 ms timer), the peak resident
// memory and the wall time. Goals: no stall over 5 ms (nothing touching the
// unit or the disk runs on the GUI thread), peak RSS under 80 MB.
//   cmake --build . --target zyra_gui_stall_bench
//   QT_QPA_PLATFORM=offscreen bench/zyra_gui_stall_bench
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "flowdriver.h"
#include "workspace.h"

namespace {

constexpr int tickMs = 1;
constexpr double stallGoalMs = 5.0;
constexpr double rssGoalMb = 80.0;

// Worst lateness of a repeating timer, in milliseconds.
class StallMeter
{
public:
    StallMeter()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
        timer.setTimerType(Qt::PreciseTimer);
        timer.start(tickMs);
        clock.start();
    }
    double worstMs() const { return worst / 1e6; }

private:
    void tick()
    {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0 && now - last - tickMs * 1000000LL > worst)
            worst = now - last - tickMs * 1000000LL;
        last = now;
    }

    QTimer timer;
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 worst = 0;
};

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    guitest::Workspace workspace;
    if (!workspace.isValid())
        return 2;
    workspace.prepareUnit(4);
    guitest::FlowDriver flow;
    flow.openUpdate(4);
    // The window's first paint belongs to its opening, not to the update.
    if (!QTest::qWaitForWindowExposed(flow.window()))
        return 2;

    QElapsedTimer wall;
    wall.start();
    StallMeter meter;
    const bool detected = flow.next();
    const bool started = detected && flow.clickIfEnabled("recFanControlButton");
    const bool rested = started && flow.waitForRest();
    const bool succeeded = rested && flow.shown("doneButton");
    const double wallSeconds = wall.elapsed() / 1000.0;

    std::printf("full update of a virtual 2K TX in virtual time: %s\n", succeeded ? "success" : "FAILED");
    std::printf("wall time            %8.2f s\n", wallSeconds);
    std::printf("longest GUI stall    %8.2f ms (goal <= %.0f ms)\n", meter.worstMs(), stallGoalMs);
    std::printf("peak resident memory %8.1f MB (goal < %.0f MB)\n", peakRssMb(), rssGoalMb);
    return succeeded ? 0 : 1;
}
