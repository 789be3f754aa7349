#include "commstaskhost.h"

#include "zyracommsthread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

const Qt::WindowFlags runningFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
// No close button while cancelling: closing would ask to cancel again.
const Qt::WindowFlags cancellingFlags = Qt::Dialog | Qt::WindowTitleHint;

const int pauseMs = 500;
const int forcedStopAfterPauses = 10;
const int questionPeriodPauses = 30;
const int questionPhasePauses = 29;
const unsigned long graceOnCloseMs = 5000;

void eventLoopPause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

CommsTaskHost::Pause &pauseHook()
{
    static CommsTaskHost::Pause hook;
    return hook;
}

void pause(int ms)
{
    if (pauseHook())
        pauseHook()(ms);
    else
        eventLoopPause(ms);
}

}  // namespace

CommsTaskHost::CommsTaskHost(QWidget *owner)
    : QObject(owner),
      window(owner),
      thread(new QThread),
      comms(new ZyraCommsThread),
      progress(new QProgressDialog(owner))
{
    comms->moveToThread(thread);
    connect(comms, SIGNAL(threadStartRequested()), thread, SLOT(start()));
    connect(thread, SIGNAL(started()), comms, SLOT(threadTask()));
    connect(comms, SIGNAL(threadStopped()), thread, SLOT(quit()), Qt::DirectConnection);
    connect(comms, SIGNAL(threadSignal(int, int)), this, SLOT(takeReport(int, int)), Qt::QueuedConnection);

    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setWindowModality(Qt::WindowModal);
    progress->setWindowFlags(runningFlags);
    auto *bar = new QProgressBar(progress);
    bar->setTextVisible(false);
    progress->setBar(bar);
    progress->setRange(0, 0);
    progress->setMinimumDuration(0);
    progress->setCancelButtonText("Cancel");
    // A progress dialog shows itself a few seconds after it is built unless
    // it is cancelled; this one shows only while a task runs.
    progress->cancel();
}

CommsTaskHost::~CommsTaskHost()
{
    comms->requestCancel();
    if (!thread->wait(graceOnCloseMs)) {
        stopThreadForcibly();
        thread->wait();
    }
    delete thread;
    delete comms;
}

void CommsTaskHost::setPause(Pause pause)
{
    pauseHook() = std::move(pause);
}

void CommsTaskHost::startTask(int action, const QString &title, const QString &label)
{
    if (awaitingReport)
        return;
    showProgress(title, label);
    // A task reports before its thread has wound down; starting a running
    // thread again would do nothing.
    thread->wait();
    // The report of a cancelled task may still be queued: it must not pass
    // for this task's.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    awaitingReport = true;
    comms->startTask(action);
}

void CommsTaskHost::startConnectingTask(int action)
{
    startTask(action, "ZYRA Connection Status", "Attempting to Connect to Zyra Device...");
}

void CommsTaskHost::closeProgress()
{
    progress->cancel();
}

void CommsTaskHost::cancelTask()
{
    awaitingReport = false;
    progress->setLabelText("Canceling connection operation...");
    progress->setWindowFlags(cancellingFlags);
    progress->setCancelButton(nullptr);
    progress->show();
    comms->requestCancel();

    for (int pauses = 1; thread->isRunning(); ++pauses) {
        pause(pauseMs);
        if (pauses == forcedStopAfterPauses)
            stopThreadForcibly();
        if (pauses % questionPeriodPauses == questionPhasePauses && thread->isRunning()) {
            stopThreadForcibly();
            if (userWantsToQuit()) {
                QCoreApplication::quit();
                break;
            }
        }
    }
    comms->clearState();
    progress->cancel();
}

void CommsTaskHost::showConnectionError(QWidget *parent)
{
    QMessageBox::warning(
        parent, "ZYRA Connection Error",
        "Error - cannot connect to the ZYRA Device! Please check that it is connected and powered on.");
}

void CommsTaskHost::takeReport(int action, int status)
{
    if (!awaitingReport)
        return;
    awaitingReport = false;
    emit reported(action, status);
}

void CommsTaskHost::showProgress(const QString &title, const QString &label)
{
    progress->setWindowFlags(runningFlags);
    progress->setWindowTitle(title);
    progress->setLabelText(label);
    progress->setCancelButtonText("Cancel");
    progress->show();
}

void CommsTaskHost::stopThreadForcibly()
{
    // Takes effect once the task returns: a library call cannot be cut short.
    qDebug("STOPPING COMMS THREAD");
    thread->terminate();
}

bool CommsTaskHost::userWantsToQuit()
{
    return QMessageBox::question(window, "ZYRA Connection Status",
                                 "There appears to be an error canceling comms with the device; would you like "
                                 "to quit the application?",
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
