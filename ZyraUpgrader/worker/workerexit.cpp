#include "workerexit.h"

#include "dfuprogrammer.h"

#include <QDebug>
#include <QThread>

#include <cstdlib>

namespace {

// Long enough for one library call to come back from a unit that answers.
unsigned long exitGraceMs = 3000;

}  // namespace

void setExitGraceMs(unsigned long ms)
{
    exitGraceMs = ms;
}

void releaseWorkerOnExit(QThread *thread, QObject *worker, const char *stillRunningWarning, int exitStatus)
{
    if (!thread)
        return;
    thread->quit();
    if (!thread->wait(exitGraceMs)) {
        qWarning() << stillRunningWarning;
        DfuProgrammer::endRunningChild();
        std::_Exit(exitStatus);
    }
    delete worker;
    delete thread;
}
