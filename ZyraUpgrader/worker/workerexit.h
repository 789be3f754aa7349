// How a window lets go of a worker thread that may still be running when
// the window is torn down.
#pragma once

class QObject;
class QThread;

// Stops thread's event loop and deletes worker and thread once it has
// ended. A worker blocked in the library cannot be interrupted and deleting
// it would pull the handle from under it, so if the thread has not ended
// within a grace period the process leaves at once with exitStatus, after
// logging stillRunningWarning. Does nothing without a thread.
void releaseWorkerOnExit(QThread *thread, QObject *worker, const char *stillRunningWarning, int exitStatus = 1);

// The grace period in real milliseconds: a thread cannot end in virtual
// time. 3000 unless a test that leaves a worker stuck on purpose lowers it.
void setExitGraceMs(unsigned long ms);
