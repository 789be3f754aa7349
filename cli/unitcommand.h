// zyra detect and zyra update: one run of UpdateRun on the unit of a type,
// its recovery path included, told through a Reporter.
#pragma once

#include <QObject>
#include <QStringList>

#include <cstdint>

#include "history.h"
#include "vx_zyra.h"

class Reporter;
class UpdateRun;

class UnitCommand : public QObject
{
    Q_OBJECT

public:
    // Exit statuses besides the error codes.
    static constexpr int stoppedStatus = 130;

    // askBeforeRecovery: wait for Enter before the recovery path.
    UnitCommand(int deviceType, Reporter &reporter, bool askBeforeRecovery, QObject *parent = nullptr);
    ~UnitCommand() override;

    // The unit to work on, by its port path; empty for the only one attached.
    void setUnitPort(const QString &port);
    void detect();
    void update(uint8_t fanControlMode);
    // First: stop after the current step; next: leave at once.
    void interrupt(int count);

signals:
    // The command is over; status is its exit status.
    void ended(int status);

private:
    void onDetected(const QString &version);
    void onFailed(const QString &message, int reportedCode);
    void onRecoveryRequested(int unitStatus);
    void recover();
    void onSucceeded();
    void reportStopped();
    // A second Ctrl-C during an update: what was done and how to recover.
    void reportLeftEarly();
    void end(int status);
    void closeUnit();
    // The versions as the history keeps them: the video module's, or the
    // radio's application and MAC firmware.
    QString versionsNow(const QString &detected) const;

    int deviceType_;
    Reporter &reporter_;
    bool askBeforeRecovery_;
    vx_zyra_t handle_{};
    // False once the unit has left the bus: its handle is only marked closed.
    bool handleUsable_ = true;
    // An update run is under way (its recovery path and the wait for Enter included).
    bool updating_ = false;
    bool updated_ = false;
    // The fan control of the update that follows the detection; -1 for none.
    int pendingFanControl_ = -1;
    int status_ = 0;
    // The worker's code of the failure that ended the run.
    int errorCode_ = 0;
    QString versionBefore_;
    HistoryEntry history_;
    // The update's steps so far, for a user who leaves early.
    QStringList startedSteps_;
    // Recovery runs started without asking the user.
    int recoveryRounds_ = 0;
    UpdateRun *run_;
};
