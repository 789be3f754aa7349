#include "pairrun.h"

#include <QDebug>
#include <QThread>

#include "devicetypes.h"
#include "transmissionmode.h"
#include "updaterthread.h"
#include "workererrors.h"
#include "workerexit.h"
#include "workerthread.h"

PairRun::PairRun(QObject *parent) : QObject(parent)
{
}

PairRun::~PairRun()
{
    // Handed over before the wait, a worker that deletes itself as its thread
    // ends would be deleted twice.
    releaseWorkerOnExit(thread_, nullptr, "LEAVING WHILE A PAIRING STEP IS STILL RUNNING");
    delete worker_;
    if (handle_.devh && vx_zyra_disconnect(&handle_) != VX_ZYRA_OK)
        qWarning() << "DISCONNECT FAILED";
}

bool PairRun::hasTransmitterSteps(int deviceType)
{
    return deviceType == DeviceTypes::TwoKReceiver;
}

bool PairRun::setsBroadcastBack(int deviceType, uint8_t txModeBefore)
{
    return hasTransmitterSteps(deviceType) && txModeBefore != transmissionmode::unicast;
}

void PairRun::setUnitPort(const QString &portPath)
{
    unitPort_ = portPath;
}

void PairRun::prepare(int deviceType)
{
    deviceType_ = deviceType;
    runStep(SLOT(pairDevice()), &UpdaterThread::pairReady);
}

void PairRun::confirm()
{
    runStep(SLOT(confirmPair()), &UpdaterThread::finished);
}

bool PairRun::stepRunning() const
{
    return thread_ && thread_->isRunning();
}

void PairRun::runStep(const char *slot, void (UpdaterThread::*done)())
{
    // Both steps use the one session, which the last step may still be
    // closing.
    if (thread_)
        thread_->wait();
    confirming_ = done == &UpdaterThread::finished;
    reachedEnd_ = false;
    const int step = ++steps_;
    auto *worker = new UpdaterThread;
    worker->handle = &handle_;
    worker->deviceType = deviceType_;
    worker->setUnitPort(unitPort_);
    QThread *thread = workerthread::adopt(worker);
    worker_ = worker;
    thread_ = thread;
    connect(worker, &UpdaterThread::error, this, &PairRun::onError);
    workerthread::endOn(worker, done);
    workerthread::endOn(worker, &UpdaterThread::error);
    // Both are queued, the end before the thread's, so it is known when the
    // thread has ended; by then the thread may be gone too. A step's reports
    // never pass for a later step's.
    connect(worker, done, this, [this, step] { reachedEnd_ = reachedEnd_ || step == steps_; });
    connect(thread, &QThread::finished, this, [this, step] {
        if (step == steps_)
            onStepEnded();
    });
    workerthread::start(worker, slot);
}

void PairRun::onError(const QString &message, int errorCode)
{
    if (errorCode == workererrors::pairingClosesSession)
        closeSession();
    emit failed(message, errorCode);
}

// The worker closes the session itself right after reporting; the two
// closes must not overlap on the one handle.
void PairRun::closeSession()
{
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
    qDebug() << "DISCONNECTING FROM ZYRA";
    if (vx_zyra_disconnect(&handle_) == VX_ZYRA_OK)
        qDebug() << "DISCONNECTED FROM ZYRA";
    else
        qDebug() << "FAILED TO DISCONNECT";
}

void PairRun::onStepEnded()
{
    if (reachedEnd_) {
        if (confirming_)
            emit paired();
        else
            emit awaitingConfirmation();
    }
    emit stepEnded();
}
