#include "commstaskhost.h"

#include "workerexit.h"
#include "workerthread.h"
#include "zyracommsthread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <iterator>

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

CommsTaskHost::CommsTaskHost(QWidget *owner) : QObject(owner), window(owner), progress(new QProgressDialog(owner))
{
    wireFreshWorker();

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
    progress->installEventFilter(this);
}

CommsTaskHost::~CommsTaskHost()
{
    comms->requestCancel();
    if (!thread->wait(graceOnCloseMs))
        leaveTaskBehind();
    for (const LeftBehind &task : leftBehind)
        releaseWorkerOnExit(task.thread, task.worker, "LEAVING WHILE A COMMS TASK IS STILL RUNNING");
    delete thread;
    delete comms;
}

void CommsTaskHost::setPause(Pause pause)
{
    pauseHook() = std::move(pause);
}

void CommsTaskHost::startTask(int action, const QString &title, const QString &label)
{
    if (awaitingReport || cancelling)
        return;
    showProgress(title, label);
    // A task reports before its thread has wound down, and starting a
    // running thread again would do nothing; waiting here could block on a
    // library call.
    if (thread->isRunning())
        leaveTaskBehind();
    // The report of a cancelled task may still be queued: it must not pass
    // for this task's.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    awaitingReport = true;
    comms->startTask(action);
}

void CommsTaskHost::setUnitPort(const QString &portPath)
{
    unitPort = portPath;
    comms->setUnitPort(portPath);
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
    if (cancelling)
        return;
    cancelling = true;
    awaitingReport = false;
    progress->setLabelText("Canceling connection operation...");
    progress->setWindowFlags(cancellingFlags);
    progress->setCancelButton(nullptr);
    progress->show();
    comms->requestCancel();

    // The cancelled task's thread, even once it has been left behind.
    const QPointer<QThread> task = thread;
    for (int pauses = 1; task && task->isRunning(); ++pauses) {
        pause(pauseMs);
        if (pauses == forcedStopAfterPauses && task == thread)
            leaveTaskBehind();
        if (pauses % questionPeriodPauses == questionPhasePauses && task && task->isRunning() && userWantsToQuit()) {
            QCoreApplication::quit();
            break;
        }
    }
    comms->clearState();
    progress->cancel();
    cancelling = false;
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

void CommsTaskHost::wireFreshWorker()
{
    thread = new QThread;
    comms = new ZyraCommsThread;
    comms->setUnitPort(unitPort);
    workerthread::wireComms(thread, comms);
    connect(comms, SIGNAL(threadSignal(int, int)), this, SLOT(takeReport(int, int)), Qt::QueuedConnection);
}

void CommsTaskHost::leaveTaskBehind()
{
    qDebug("STOPPING COMMS THREAD");
    QThread *const stuck = thread;
    ZyraCommsThread *const stuckWorker = comms;
    disconnect(stuckWorker, nullptr, this, nullptr);
    leftBehind.push_back({stuck, stuckWorker});
    connect(
        stuck, &QThread::finished, this, [this, stuck] { deleteLeftBehind(stuck); }, Qt::QueuedConnection);

    wireFreshWorker();
    // The owner set the values of the next task on the worker it knew.
    comms->transmissionMode = stuckWorker->transmissionMode;
    comms->region = stuckWorker->region;
    std::copy(std::begin(stuckWorker->frequencyChannels), std::end(stuckWorker->frequencyChannels),
              std::begin(comms->frequencyChannels));
}

void CommsTaskHost::deleteLeftBehind(QThread *ended)
{
    const auto found = std::find_if(leftBehind.begin(), leftBehind.end(),
                                    [ended](const LeftBehind &task) { return task.thread == ended; });
    if (found == leftBehind.end())
        return;
    // finished() comes just before the thread is gone.
    ended->wait();
    delete found->worker;
    delete found->thread;
    leftBehind.erase(found);
}

bool CommsTaskHost::eventFilter(QObject *watched, QEvent *event)
{
    const bool escape = event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    if (watched != progress || !(escape || event->type() == QEvent::Close))
        return QObject::eventFilter(watched, event);
    event->ignore();
    if (!cancelling && progress->isVisible())
        QMetaObject::invokeMethod(progress, "canceled");
    return true;
}

bool CommsTaskHost::userWantsToQuit()
{
    return QMessageBox::question(window, "ZYRA Connection Status",
                                 "There appears to be an error canceling comms with the device; would you like "
                                 "to quit the application?",
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
