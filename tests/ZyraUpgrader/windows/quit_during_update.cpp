// Helper program for closing_test: starts an update on a virtual unit that
// keeps the worker busy for minutes of real time, then quits the program as
// a person would (closing the window and agreeing) and lets main return.
#include <QApplication>
#include <QWidget>

#include "flowdriver.h"
#include "guitest.h"
#include "workerexit.h"
#include "workspace.h"
#include "zyra_sim/clock.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    guitest::Workspace workspace;
    auto unit = workspace.prepareUnit(2);
    zyra_sim::Clock::instance().setRealTime(true);
    // The worker is stuck on purpose: the grace would only be waited out.
    setExitGraceMs(100);
    // The restart at the start of the radio update keeps the unit away.
    unit->setRestartTimeMs(10 * 60 * 1000);

    guitest::FlowDriver flow;
    flow.openUpdate(2);
    if (!flow.next() || !flow.clickIfEnabled("recFanControlButton"))
        return 3;
    guitest::ModalAnswerer yes("Yes");
    flow.window()->close();
    if (!yes.answered() || flow.window()->isVisible())
        return 4;
    return 0;
}
