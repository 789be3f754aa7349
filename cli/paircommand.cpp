#include "paircommand.h"

#include <QDebug>
#include <QThread>

#include "devicetypes.h"
#include "enterkey.h"
#include "reporter.h"
#include "transmissionmode.h"
#include "updaterthread.h"
#include "usbaccess.h"
#include "workererrors.h"
#include "workerexit.h"
#include "zyracommsthread.h"

namespace {

const char connectionError[] =
    "Error - cannot connect to the ZYRA Device! Please check that it is connected and powered on.";
const char leavingWarning[] = "LEAVING WHILE A PAIRING STEP IS STILL RUNNING";

int exitStatusOf(int errorCode)
{
    return errorCode >= 1 && errorCode <= 125 ? errorCode : 1;
}

}  // namespace

PairCommand::PairCommand(int deviceType, Reporter &reporter, bool askBetweenSteps, QObject *parent)
    : QObject(parent),
      deviceType_(deviceType),
      reporter_(reporter),
      askBetweenSteps_(askBetweenSteps),
      savedTxMode_(transmissionmode::unicast)
{
}

PairCommand::~PairCommand()
{
    releaseWorkerOnExit(workerThread_, worker_, leavingWarning);
    if (handle_.devh && vx_zyra_disconnect(&handle_) != VX_ZYRA_OK)
        qWarning() << "DISCONNECT FAILED";
}

void PairCommand::start()
{
    if (deviceType_ != DeviceTypes::TwoKReceiver) {
        pairReceiver();
        return;
    }
    ask("Step 1 of 3: attach the transmitter, then press Enter.", [this] {
        runCommsTask(ZyraCommsThread::TASK_PREPARE_TX_PAIRING, transmissionmode::unicast, [this] {
            savedTxMode_ = runner_.comms().transmissionMode;
            ask("Step 2 of 3: attach the receiver, then press Enter.", [this] { pairReceiver(); });
        });
    });
}

void PairCommand::ask(const QString &instructions, std::function<void()> next)
{
    reporter_.step(instructions);
    if (!askBetweenSteps_) {
        next();
        return;
    }
    afterEnter(this, next);
}

void PairCommand::pairReceiver()
{
    reporter_.step("Pairing ZYRA");
    runWorker(SLOT(pairDevice()), SIGNAL(pairReady()), [this] {
        ask("The receiver waits for its transmitter; press Enter to confirm the pairing.",
            [this] { confirmPairing(); });
    });
}

void PairCommand::confirmPairing()
{
    runWorker(SLOT(confirmPair()), SIGNAL(finished()), [this] { finishPairing(); });
}

void PairCommand::finishPairing()
{
    // Both units were switched to unicast for the pairing; a transmitter that
    // was in broadcast goes back to it, the receiver first as in the window.
    if (deviceType_ != DeviceTypes::TwoKReceiver || savedTxMode_ == transmissionmode::unicast) {
        reporter_.done("Pairing finished.");
        end(0);
        return;
    }
    runCommsTask(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART, transmissionmode::broadcast, [this] {
        ask("Step 3 of 3: attach the transmitter again, then press Enter.", [this] {
            runCommsTask(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART, transmissionmode::broadcast, [this] {
                reporter_.done("Settings Changed Successfully!");
                end(0);
            });
        });
    });
}

void PairCommand::runWorker(const char *operation, const char *readySignal, std::function<void()> next)
{
    auto *thread = new QThread;
    auto *worker = new UpdaterThread;
    workerThread_ = thread;
    worker_ = worker;
    worker->handle = &handle_;
    worker->deviceType = deviceType_;
    connect(worker, &UpdaterThread::error, this, &PairCommand::fail);
    connect(worker, SIGNAL(error(QString, int)), thread, SLOT(quit()));
    connect(worker, readySignal, thread, SLOT(quit()));
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // The next step waits for this one's thread: both use the same handle.
    // The worker's error is queued before its thread's end, so it is known here.
    connect(thread, &QThread::finished, this, [this, thread, next] {
        if (workerThread_ == thread) {
            workerThread_ = nullptr;
            worker_ = nullptr;
        }
        if (failedStatus_ != 0)
            end(failedStatus_);
        else
            next();
    });
    connect(thread, SIGNAL(started()), worker, operation);
    worker->moveToThread(thread);
    thread->start();
}

void PairCommand::runCommsTask(int action, uint8_t mode, std::function<void()> next)
{
    runner_.comms().transmissionMode = mode;
    runner_.run(action, [this, next](int, int status) {
        if (status != workererrors::commsTaskOk) {
            reporter_.error(usbaccess::explainedFailure(connectionError), status);
            end(1);
            return;
        }
        next();
    });
}

void PairCommand::fail(const QString &message, int errorCode)
{
    // A storage error during the pairing is reported while the step goes on;
    // the command ends with the step's thread, without the next step.
    if (failedStatus_ != 0)
        return;
    reporter_.error(usbaccess::explainedFailure(message), errorCode);
    failedStatus_ = exitStatusOf(errorCode);
}

void PairCommand::end(int status)
{
    emit ended(status);
}
