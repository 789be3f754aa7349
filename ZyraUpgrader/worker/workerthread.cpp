#include "workerthread.h"

#include <QThread>

#include "zyracommsthread.h"

namespace workerthread {

QThread *adopt(QObject *worker)
{
    auto *thread = new QThread;
    worker->moveToThread(thread);
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    return thread;
}

void start(QObject *worker, const char *slot)
{
    QObject::connect(worker->thread(), SIGNAL(started()), worker, slot);
    worker->thread()->start();
}

void wireComms(QThread *thread, ZyraCommsThread *comms)
{
    comms->moveToThread(thread);
    QObject::connect(comms, SIGNAL(threadStartRequested()), thread, SLOT(start()));
    QObject::connect(thread, SIGNAL(started()), comms, SLOT(threadTask()));
    QObject::connect(comms, SIGNAL(threadStopped()), thread, SLOT(quit()), Qt::DirectConnection);
}

}  // namespace workerthread
