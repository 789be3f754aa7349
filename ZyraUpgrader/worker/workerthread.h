// The wiring that puts a worker on a thread of its own, shared by every
// owner of a worker: the runs (UpdateRun, PairRun) with their one-shot
// UpdaterThread steps, and the windows' and zyra's ZyraCommsThread.
#pragma once

#include <QThread>

class ZyraCommsThread;

namespace workerthread {

// Moves worker onto a new thread, not yet started; once that thread has
// ended, the worker and the thread delete themselves.
QThread *adopt(QObject *worker);
// Each emission of the worker's signal ends its thread's event loop; a slot
// still running goes on to its end first.
// Direct: the owner's thread may be the one waiting for this thread.
template <typename Worker, typename Signal>
void endOn(Worker *worker, Signal signal)
{
    QObject::connect(worker, signal, worker->thread(), &QThread::quit, Qt::DirectConnection);
}
// Starts the worker's thread, which begins with the worker's slot.
void start(QObject *worker, const char *slot);

// A comms worker on thread: each task it is given starts the thread and
// stops it when done; its reports are the owner's to connect.
void wireComms(QThread *thread, ZyraCommsThread *comms);

}  // namespace workerthread
