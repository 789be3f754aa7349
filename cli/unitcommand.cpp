#include "unitcommand.h"

#include <QDebug>
#include <QRegularExpression>

#include <cstdlib>

#include "devicetypenames.h"
#include "devicetypes.h"
#include "enterkey.h"
#include "failurecauses.h"
#include "reporter.h"
#include "unitversions.h"
#include "updaterun.h"
#include "usbaccess.h"
#include "workererrors.h"

namespace {

// A failed dfu-programmer run comes without a code of its own; its message
// may name one ("Error Code: 12"), which is then the failure's code.
int codeOf(const QString &message, int errorCode)
{
    static const QRegularExpression codeLine("Error Code: (\\d+)$");
    const QRegularExpressionMatch match = codeLine.match(message.trimmed());
    return errorCode == UpdateRun::noErrorCode && match.hasMatch() ? match.captured(1).toInt() : errorCode;
}

// The worker's error code where it fits an exit status, else 1.
int exitStatusOf(int errorCode)
{
    return errorCode >= 1 && errorCode <= 125 ? errorCode : 1;
}

// Without a user to carry out the recovery procedure, it is tried this many
// times before the run ends in the error a user gets in the window.
constexpr int unattendedRecoveries = 3;

QString recoveryInstructions()
{
    return QString("The unit stopped answering. ") + failurecauses::updateModeInstructions +
           " Then press Enter to go on.";
}

}  // namespace

UnitCommand::UnitCommand(int deviceType, Reporter &reporter, bool askBeforeRecovery, QObject *parent)
    : QObject(parent),
      deviceType_(deviceType),
      reporter_(reporter),
      askBeforeRecovery_(askBeforeRecovery),
      run_(new UpdateRun(&handle_, this))
{
    connect(run_, &UpdateRun::stepStarted, this, [this](const QString &text) {
        startedSteps_ << text.trimmed();
        reporter_.step(text);
    });
    connect(run_, &UpdateRun::progressed, this, [this](int value, int total) { reporter_.progress(value, total); });
    connect(run_, &UpdateRun::waiting, this,
            [this](const QString &what, int seconds) { reporter_.waiting(what, seconds); });
    connect(run_, &UpdateRun::detected, this, &UnitCommand::onDetected);
    connect(run_, &UpdateRun::settingNotKept, this, [this](const QString &note) { reporter_.note(note); });
    connect(run_, &UpdateRun::failed, this, &UnitCommand::onFailed);
    connect(run_, &UpdateRun::recoveryRequested, this, &UnitCommand::onRecoveryRequested);
    connect(run_, &UpdateRun::succeeded, this, &UnitCommand::onSucceeded);
    connect(run_, &UpdateRun::stopped, this, &UnitCommand::reportStopped);
    // A detection ends with its thread; an update ends with its last report
    // and the thread after it.
    connect(run_, &UpdateRun::threadFinished, this, [this] {
        if (pendingFanControl_ >= 0 && status_ == 0) {
            const auto fanControl = static_cast<uint8_t>(pendingFanControl_);
            pendingFanControl_ = -1;
            updating_ = true;
            history_.begin("update", deviceTypeName(deviceType_));
            history_.setVersions(versionBefore_, QString());
            run_->update(deviceType_, fanControl);
            return;
        }
        if (updating_)
            return;
        if (status_ == 0 && !updated_)
            reporter_.done(QString());
        end(status_);
    });
    connect(this, &UnitCommand::ended, this, [this](int status) {
        history_.end(status, status == 0 || errorCode_ == 0 ? status : errorCode_, reporter_);
    });
}

UnitCommand::~UnitCommand()
{
    run_->releaseWorkerOnExit("LEAVING WHILE THE UNIT IS STILL BEING UPDATED");
    closeUnit();
}

void UnitCommand::setUnitPort(const QString &port)
{
    run_->setUnitPort(port);
}

void UnitCommand::detect()
{
    run_->detect(deviceType_);
}

void UnitCommand::update(uint8_t fanControlMode)
{
    // As in the window: the update follows a detection, which leaves the
    // unit open where the update expects it so.
    pendingFanControl_ = fanControlMode;
    updated_ = true;
    run_->detect(deviceType_);
}

void UnitCommand::interrupt(int count)
{
    if (count == 1 && run_->inProgress()) {
        // A step runs to its end, which for a radio image takes minutes: say
        // which one, and what leaving at once would cost.
        // A detection has no step text of its own, and nothing to lose.
        const QString note =
            run_->detecting() ? QString("Stopping once the unit's detection has ended; Ctrl-C again leaves at once.")
                              : QString("Stopping once the step \"%1\" has ended; this may take a few minutes. Ctrl-C "
                                        "again leaves at once, which may leave the unit unusable until it is updated "
                                        "again.")
                                    .arg(run_->currentStep().trimmed());
        reporter_.note(note);
        if (pendingFanControl_ >= 0) {
            // Still detecting: the update never starts.
            pendingFanControl_ = -1;
            reportStopped();
        }
        run_->stopAfterCurrentStep();
        return;
    }
    if (run_->inProgress() && !run_->detecting()) {
        reportLeftEarly();
        history_.leave(stoppedStatus, reporter_);
    }
    // As closing the window: let go of the worker, then leave.
    run_->releaseWorkerOnExit("LEAVING WHILE THE UNIT IS STILL BEING UPDATED", stoppedStatus);
    closeUnit();
    std::_Exit(stoppedStatus);
}

void UnitCommand::onDetected(const QString &version)
{
    // Without a video module the detection's text is the library's API
    // version, not the unit's: the unit's radio versions are told instead.
    QList<QPair<QString, QString>> found;
    if (DeviceTypes::hasVideoModule(deviceType_))
        found = {{"version", unitversions::withoutPrefix(version)}};
    else
        found = {{"application", unitversions::application(handle_)}, {"radio", unitversions::radio(handle_)}};
    history_.noteUnit(handle_);
    versionBefore_ = versionsNow(version);
    const QString installed = unitversions::inPackage(deviceType_);
    if (pendingFanControl_ >= 0 && !installed.isEmpty())
        found.append({"installs", installed});
    reporter_.detected(found);
}

void UnitCommand::reportLeftEarly()
{
    const QString type = deviceTypeName(deviceType_);
    // Every step but the running one has ended.
    const QStringList ended = startedSteps_.mid(0, startedSteps_.size() - 1);
    const QString done = ended.isEmpty() ? QString("none") : ended.join(", ");
    reporter_.error(QString("Left during the step \"%1\".").arg(run_->currentStep().trimmed()), stoppedStatus,
                    QString("Steps done: %1. The unit may not start as it is: run zyra update %2 again. If the "
                            "unit no longer answers, start it in update mode (with its USB cable connected, "
                            "hold its UPDATE button while you power it on) and zyra update %2 takes the recovery "
                            "path.")
                        .arg(done, type));
}

void UnitCommand::reportStopped()
{
    reporter_.error("Stopped after the current step. The unit may need the update again.", stoppedStatus);
    status_ = stoppedStatus;
    updating_ = false;
}

void UnitCommand::onFailed(const QString &message, int reportedCode)
{
    const int errorCode = codeOf(message, reportedCode);
    if (errorCode == workererrors::radio2UnitGone)
        handleUsable_ = false;
    history_.noteUnit(handle_);
    errorCode_ = errorCode;
    closeUnit();
    const QString explained = usbaccess::explainedFailure(message);
    // A unit this user may not open explains the failure by itself.
    reporter_.error(explained, errorCode,
                    explained == message ? failurecauses::causeOf(errorCode, deviceType_) : QString());
    status_ = exitStatusOf(errorCode);
    updating_ = false;
    // Recorded now: a Ctrl-C before the command ends leaves at once.
    history_.end(status_, errorCode, reporter_);
}

void UnitCommand::onRecoveryRequested(int unitStatus)
{
    history_.setAction("recovery");
    if (unitStatus != workererrors::recoveryUnitUnreachable)
        closeUnit();
    if (!askBeforeRecovery_ && ++recoveryRounds_ > unattendedRecoveries) {
        onFailed(UpdateRun::unitNotAnsweringMessage(), workererrors::unitNotAnswering);
        return;
    }
    reporter_.recovery(recoveryInstructions());
    if (!askBeforeRecovery_) {
        recover();
        return;
    }
    afterEnter(this, [this] { recover(); });
}

void UnitCommand::recover()
{
    // The recovery run is started once the run that asked for it has let go
    // of its thread.
    QMetaObject::invokeMethod(
        this,
        [this] {
            handleUsable_ = true;
            run_->recover(deviceType_);
        },
        Qt::QueuedConnection);
}

void UnitCommand::onSucceeded()
{
    history_.noteUnit(handle_);
    // A unit without a video module has told its new versions on its last connect.
    history_.setVersions(versionBefore_, DeviceTypes::hasVideoModule(deviceType_) ? unitversions::inPackage(deviceType_)
                                                                                  : versionsNow(QString()));
    closeUnit();
    QString summary = "ZYRA firmware update successful!";
    if (DeviceTypes::isTransmitter(deviceType_))
        summary += "\nNOTE: You may need to re-pair this transmitter with paired receivers.";
    reporter_.done(summary);
    updating_ = false;
    history_.end(0, 0, reporter_);
}

void UnitCommand::end(int status)
{
    closeUnit();
    emit ended(status);
}

QString UnitCommand::versionsNow(const QString &detected) const
{
    if (DeviceTypes::hasVideoModule(deviceType_))
        return unitversions::withoutPrefix(detected);
    return unitversions::application(handle_) + " / " + unitversions::radio(handle_);
}

void UnitCommand::closeUnit()
{
    if (handleUsable_ && handle_.devh && vx_zyra_disconnect(&handle_) != VX_ZYRA_OK)
        qWarning() << "DISCONNECT FAILED";
}
