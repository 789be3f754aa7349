// One run of the worker on a unit: detection, update or recovery, each on a
// thread of its own with a worker of its own, its steps handed over one after
// the other. The window and the command-line tool both drive the unit through
// it and only react to its signals.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

#include "vx_zyra.h"

class QThread;
class UpdaterThread;

class UpdateRun : public QObject
{
    Q_OBJECT

public:
    // The progress a whole update adds up to.
    static constexpr int progressTotal = 11062;
    // Failed dfu-programmer runs come without an error code of their own.
    static constexpr int noErrorCode = -1;
    // Recovery runs in which the unit opened but did not answer, after
    // which the next one ends in workererrors::unitNotAnswering instead of
    // asking for the recovery procedure again.
    static constexpr int unansweredRecoveryLimit = 2;
    // The text of workererrors::unitNotAnswering.
    static QString unitNotAnsweringMessage();

    // The handle is lent: the caller owns it and closes it when a run has
    // left it open.
    explicit UpdateRun(vx_zyra_t *handle, QObject *parent = nullptr);
    ~UpdateRun() override;

    // The unit the next runs work on, by its port path; empty: the first
    // unit on the bus (see UpdaterThread::setUnitPort).
    void setUnitPort(const QString &portPath);

    // Each starts a run; only one runs at a time.
    void detect(int deviceType);
    // fanControlMode is the value the video module's EEPROM gets (0 none,
    // 1 record, 2 record with temperature).
    void update(int deviceType, uint8_t fanControlMode);
    // The run after the unit asked for the recovery procedure and the user
    // has carried it out.
    void recover(int deviceType);

    // Lets the running step end and starts no further one; stopped() follows
    // unless the run ends otherwise first.
    void stopAfterCurrentStep();
    // Until the run has told its end (a failure, a recovery request, success,
    // a stop) or, for a detection, until its thread has ended.
    bool inProgress() const;
    // Whether the run only detects the unit, which changes nothing on it.
    bool detecting() const;
    // The text of the latest step and the progress so far, for showing a
    // run at once when it starts.
    QString currentStep() const;
    int progress() const;
    // For a program that leaves while a run may still be busy: see
    // releaseWorkerOnExit.
    void releaseWorkerOnExit(const char *stillRunningWarning, int exitStatus = 1);

signals:
    // The text of the step that starts now.
    void stepStarted(QString text);
    // Progress so far out of total.
    void progressed(int value, int total);
    void detected(QString fwVersion);
    void failed(QString message, int errorCode);
    // The unit needs the recovery procedure; unitStatus is
    // workererrors::recoveryUnitUnreachable when its handle is closed.
    void recoveryRequested(int unitStatus);
    void settingNotKept(QString note);
    // A sign of life while a step waits: what for and for how many seconds.
    void waiting(QString what, int seconds);
    // The worker's steps as they end: the unit back and open after its video
    // module's update (or the recovery procedure), the application image,
    // the MAC image, the normal application image after a recovery, the
    // configuration (the run's success).
    void reconnected();
    void applicationUpdated();
    void macUpdated();
    void applicationReUpdated();
    void succeeded();
    void stopped();
    void threadFinished();
    // A run's worker, made and not yet started, for an observer that wants
    // its signals as they are emitted, on its own thread.
    void workerCreated(UpdaterThread *worker);

private slots:
    void onReconnected();
    void onApplicationUpdated();
    void onMacUpdated();
    void onApplicationReUpdated();
    void onStorageUpdated();
    void onProgress(int amount);
    void onRecoveryRequested(int unitStatus);

private:
    enum class Kind {
        Detection,
        Update,
        Recovery
    };
    using Reaction = void (UpdateRun::*)();

    void createRun(Kind kind, int deviceType);
    void startRun(const char *firstStep, const QString &firstText, int startProgress);
    void handOver(Reaction done, Reaction next, const char *nextStep, const QString &nextText);
    void finishRunAfter(Reaction done, const QString &lastText);
    // Ends the run at a hand-over when a stop was asked for.
    bool stopHere();
    void endRun();

    vx_zyra_t *handle_;
    QString unitPort_;
    eeprom_settings eepromSettings_{};
    // A run's thread deletes itself when it ends; the guards tell whether
    // it still exists.
    QPointer<QThread> thread_;
    QPointer<UpdaterThread> worker_;
    bool detecting_ = false;
    bool recovering_ = false;
    bool stopRequested_ = false;
    bool succeeded_ = false;
    int unansweredRecoveries_ = 0;
    bool endReported_ = false;
    QString currentStep_;
    int totalProgress_ = 0;
};
