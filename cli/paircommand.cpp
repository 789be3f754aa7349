#include "paircommand.h"

#include <cstdlib>

#include "devicetypenames.h"
#include "enterkey.h"
#include "interrupts.h"
#include "reporter.h"
#include "transmissionmode.h"
#include "usbaccess.h"
#include "workererrors.h"
#include "zyracommsthread.h"

namespace {

const char connectionError[] =
    "Error - cannot connect to the ZYRA Device! Please check that it is connected and powered on.";

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
    connect(&pairing_, &PairRun::failed, this, &PairCommand::fail);
    connect(&pairing_, &PairRun::awaitingConfirmation, this, &PairCommand::onAwaitingConfirmation);
    connect(&pairing_, &PairRun::paired, this, &PairCommand::finishPairing);
    connect(&pairing_, &PairRun::stepEnded, this, &PairCommand::onStepEnded);
    connect(this, &PairCommand::ended, this, [this](int status) {
        history_.noteUnit(*runner_.comms().deviceHandle());
        history_.end(status, status, reporter_);
    });
}

PairCommand::~PairCommand() = default;

void PairCommand::setUnitPort(const QString &port)
{
    pairing_.setUnitPort(port);
}

void PairCommand::start()
{
    if (!PairRun::hasTransmitterSteps(deviceType_)) {
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
    afterEnter(this, [this, next] { proceed(next); });
}

void PairCommand::interrupt(int count)
{
    // Leaving at once, as closing the pairing window does mid-step.
    if (count > 1) {
        history_.leave(interruptedStatus, reporter_);
        std::_Exit(interruptedStatus);
    }
    reporter_.note(stoppingNote);
    stopRequested_ = true;
    if (!pairing_.stepRunning() && !commsTaskRunning_)
        stop();
}

void PairCommand::proceed(const std::function<void()> &next)
{
    if (stopRequested_)
        stop();
    else
        next();
}

void PairCommand::stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    reporter_.error("Stopped after the current step. The receiver may need pairing again.", interruptedStatus);
    end(interruptedStatus);
}

void PairCommand::pairReceiver()
{
    history_.begin("pair", deviceTypeName(deviceType_));
    reporter_.step("Pairing ZYRA");
    pairing_.prepare(deviceType_);
}

void PairCommand::onAwaitingConfirmation()
{
    // An error the step went on after ends the command instead.
    if (failedStatus_ != 0)
        return;
    proceed([this] {
        ask("The receiver waits for its transmitter; press Enter to confirm the pairing.",
            [this] { pairing_.confirm(); });
    });
}

void PairCommand::onStepEnded()
{
    if (failedStatus_ != 0)
        end(failedStatus_);
}

void PairCommand::finishPairing()
{
    // Both units were switched to unicast for the pairing; a transmitter that
    // was in broadcast goes back to it, the receiver first as in the window.
    if (stopRequested_) {
        stop();
        return;
    }
    if (!PairRun::setsBroadcastBack(deviceType_, savedTxMode_)) {
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

void PairCommand::runCommsTask(int action, uint8_t mode, std::function<void()> next)
{
    runner_.comms().transmissionMode = mode;
    history_.begin("pair", deviceTypeName(deviceType_));
    commsTaskRunning_ = true;
    runner_.run(action, [this, next](int, int status) {
        commsTaskRunning_ = false;
        if (status != workererrors::commsTaskOk) {
            reporter_.error(usbaccess::explainedFailure(connectionError), status);
            end(1);
            return;
        }
        proceed(next);
    });
}

void PairCommand::fail(const QString &message, int errorCode)
{
    // A storage error during the pairing is reported while the step goes on;
    // the command ends with the step, without the next one.
    if (failedStatus_ != 0)
        return;
    reporter_.error(usbaccess::explainedFailure(message), errorCode);
    failedStatus_ = exitStatusOf(errorCode);
}

void PairCommand::end(int status)
{
    emit ended(status);
}
