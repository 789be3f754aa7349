// Helper program for closing_test: starts an update on a virtual unit that
// keeps the worker busy for minutes of real time, then quits the program as
// a person would (closing the window and agreeing) and lets main return.
// With the argument "flasher" the worker is stuck in a dfu-programmer run
// that never ends; the flasher's path goes to standard output.
#include <QApplication>
#include <QWidget>

#include <cstdio>

#include "flowdriver.h"
#include "guitest.h"
#include "workerexit.h"
#include "workspace.h"
#include "zyra_sim/clock.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    guitest::Workspace workspace;
    const bool flasherHangs = argc > 1 && QByteArray(argv[1]) == "flasher";
    const int deviceType = flasherHangs ? 1 : 2;
    auto unit = workspace.prepareUnit(deviceType);
    zyra_sim::Clock::instance().setRealTime(true);
    // The worker is stuck on purpose: the grace would only be waited out.
    setExitGraceMs(100);
    if (flasherHangs) {
        // Every run after the detection's dump hangs: the update's erase first.
        workspace.xmega().addFault(zyra_dfu::Fault::Hang, 2, 99);
        std::printf("%s\n", qPrintable(workspace.path("utils/dfu-programmer")));
        std::fflush(stdout);
    } else {
        // The restart at the start of the radio update keeps the unit away.
        unit->setRestartTimeMs(10 * 60 * 1000);
    }

    guitest::FlowDriver flow;
    flow.openUpdate(deviceType);
    if (!flow.next() || !flow.clickIfEnabled("recFanControlButton"))
        return 3;
    guitest::ModalAnswerer yes("Yes");
    flow.window()->close();
    if (!yes.answered() || flow.window()->isVisible())
        return 4;
    return 0;
}
