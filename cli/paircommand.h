// zyra pair: the pairing of a receiver as the pairing windows run it, the
// three steps of a 2K receiver included, told through a Reporter.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

#include "commsrunner.h"
#include "history.h"
#include "pairrun.h"

class Reporter;

class PairCommand : public QObject
{
    Q_OBJECT

public:
    // askBetweenSteps: wait for Enter before each step that needs the user.
    PairCommand(int deviceType, Reporter &reporter, bool askBetweenSteps, QObject *parent = nullptr);
    ~PairCommand() override;

    // The receiver to pair, by its port path; empty for the only one
    // attached. A 2K pairing's transmitter steps take the unit attached then.
    void setUnitPort(const QString &port);
    void start();
    // Ctrl-C: the first lets the running step end and starts no further one
    // (at once while waiting for Enter), the next one leaves at once.
    void interrupt(int count);

signals:
    // The command is over; status is its exit status.
    void ended(int status);

private:
    // Tells the user what to do, then goes on once they press Enter.
    void ask(const QString &instructions, std::function<void()> next);
    void pairReceiver();
    void confirmPairing();
    void onAwaitingConfirmation();
    void onStepEnded();
    void finishPairing();
    // One comms task on the unit attached, then next.
    void runCommsTask(int action, uint8_t mode, std::function<void()> next);
    // next, unless a Ctrl-C asked to stop: then the command ends stopped.
    void proceed(const std::function<void()> &next);
    void stop();
    void fail(const QString &message, int errorCode);
    void end(int status);

    int deviceType_;
    Reporter &reporter_;
    bool askBetweenSteps_;
    PairRun pairing_;
    CommsRunner runner_;
    // The transmitter's mode before step 1 forced it to unicast.
    uint8_t savedTxMode_;
    // The exit status of the worker's error; 0 while there is none.
    int failedStatus_ = 0;
    bool commsTaskRunning_ = false;
    bool stopRequested_ = false;
    bool stopped_ = false;
    HistoryEntry history_;
};
