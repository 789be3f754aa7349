// zyra pair: the pairing of a receiver as the pairing windows run it, the
// three steps of a 2K receiver included, told through a Reporter.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

#include "commsrunner.h"
#include "vx_zyra.h"

class QThread;
class Reporter;

class PairCommand : public QObject
{
    Q_OBJECT

public:
    // askBetweenSteps: wait for Enter before each step that needs the user.
    PairCommand(int deviceType, Reporter &reporter, bool askBetweenSteps, QObject *parent = nullptr);
    ~PairCommand() override;

    void start();

signals:
    // The command is over; status is its exit status.
    void ended(int status);

private:
    // Tells the user what to do, then goes on once they press Enter.
    void ask(const QString &instructions, std::function<void()> next);
    void pairReceiver();
    void confirmPairing();
    void finishPairing();
    // One UpdaterThread slot in a thread of its own, as the pairing window runs it.
    void runWorker(const char *operation, const char *readySignal, std::function<void()> next);
    // One comms task on the unit attached, then next.
    void runCommsTask(int action, uint8_t mode, std::function<void()> next);
    void fail(const QString &message, int errorCode);
    void end(int status);

    int deviceType_;
    Reporter &reporter_;
    bool askBetweenSteps_;
    vx_zyra_t handle_{};
    QThread *workerThread_ = nullptr;
    QObject *worker_ = nullptr;
    CommsRunner runner_;
    // The transmitter's mode before step 1 forced it to unicast.
    uint8_t savedTxMode_;
    // The exit status of the worker's error; 0 while there is none.
    int failedStatus_ = 0;
};
