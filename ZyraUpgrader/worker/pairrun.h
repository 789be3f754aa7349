// The pairing of a receiver, which the pairing window and zyra pair both
// drive: the receiver prepared (its storage renewed with the user's
// configuration kept, a 2K receiver put in unicast, its pairing menu
// opened), then, once the user has seen both units wait, the confirmation.
// Each step runs on a thread of its own; the next starts only once the last
// one's thread has ended, as both use the one session.
//
// A 2K receiver pairs in three steps: its transmitter switched to unicast
// first (the comms task ZyraCommsThread::TASK_PREPARE_TX_PAIRING, which
// reads the mode it had), then the receiver, then, if the transmitter was
// in broadcast, both units set back to it (TASK_WRITE_MODE_AND_RESTART),
// the receiver while still attached, the transmitter once attached again.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

#include "vx_zyra.h"

class QThread;
class UpdaterThread;

class PairRun : public QObject
{
    Q_OBJECT

public:
    explicit PairRun(QObject *parent = nullptr);
    // Lets a running step end; one stuck in the library ends the process
    // (see releaseWorkerOnExit). An open session is closed.
    ~PairRun() override;

    // Whether deviceType pairs in three steps, its transmitter's first.
    static bool hasTransmitterSteps(int deviceType);
    // Whether the last step sets both units back to broadcast, given the
    // mode the transmitter had before the first step.
    static bool setsBroadcastBack(int deviceType, uint8_t txModeBefore);

    // The receiver to pair, by its port path; empty: the first unit on the
    // bus (see UpdaterThread::setUnitPort).
    void setUnitPort(const QString &portPath);

    // Prepares the receiver of deviceType attached; awaitingConfirmation()
    // follows once its step has ended.
    void prepare(int deviceType);
    // Sends the confirmation; paired() follows once its step has ended.
    void confirm();
    bool stepRunning() const;

signals:
    // As they come: a storage error is reported while its step goes on.
    // With workererrors::pairingClosesSession the session is closed first.
    void failed(QString message, int errorCode);
    // The receiver waits for its transmitter, the preparing step has ended
    // (even after an error that let it go on).
    void awaitingConfirmation();
    void paired();
    // A step's thread has ended, after the signal of its outcome.
    void stepEnded();

private:
    void runStep(const char *slot, void (UpdaterThread::*done)());
    void onError(const QString &message, int errorCode);
    void onStepEnded();
    void closeSession();

    int deviceType_ = 0;
    QString unitPort_;
    vx_zyra_t handle_{};
    // A step's thread deletes itself when it ends; the guards tell whether
    // it still exists.
    QPointer<QThread> thread_;
    QPointer<UpdaterThread> worker_;
    // Numbers the steps, telling a step's queued reports from a later one's.
    int steps_ = 0;
    bool reachedEnd_ = false;
    bool confirming_ = false;
};
