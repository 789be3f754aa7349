// Runs one short device task at a time for the settings and pairing
// windows: connect, read or write one user setting (or prepare a
// transmitter for pairing), disconnect, report. Lives in its owner's QThread.
#pragma once

#include "transmissionmode.h"
#include "vx_zyra.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <cstdint>

class ZyraCommsThread : public QObject
{
    Q_OBJECT

public:
    enum TaskAction {
        TASK_READ_MODE = 0,
        TASK_READ_REGION = 1,
        TASK_READ_FREQUENCY_SETTINGS = 2,
        TASK_WRITE_MODE = 3,
        TASK_WRITE_REGION = 4,
        TASK_WRITE_FREQUENCY_CHANNELS = 5,
        TASK_PREPARE_TX_PAIRING = 6,
        TASK_WRITE_MODE_AND_RESTART = 7,
        // zyra info, no dialog's task: the unit's identity and board serial,
        // left in deviceHandle(). Numbered apart from the dialogs' tasks.
        TASK_READ_IDENTITY = 9,
    };

    explicit ZyraCommsThread(QObject *parent = nullptr);

    // The unit the next tasks work on, by its port path; empty: the first
    // unit on the bus (see UpdaterThread::setUnitPort). Never while a task runs.
    void setUnitPort(const QString &portPath);

    // Ignored while a task runs.
    void startTask(int action);
    void requestCancel();
    void clearState();
    bool isBusy() const;

    // The embedded session record, for reading the unit's identity after a task.
    vx_zyra_t *deviceHandle() { return &handle; }

    // The values a task reads or writes: the owner sets them before a write
    // task and reads them after a read task's report, never while a task runs.
    uint8_t transmissionMode = transmissionmode::unicast;
    uint8_t region = 4;
    // The last read found the region or the mode cell never set (its value
    // above is then 0).
    bool regionUnset = false;
    bool transmissionModeUnset = false;
    uint8_t frequencyChannels[28] = {};

signals:
    void threadStartRequested();
    void threadStopped();
    void threadSignal(int s32SignalId, int s32Status);

public slots:
    void threadTask();

private:
    int runAction(int action);
    bool cancelled() const;

    int readMode();
    int readIdentity();
    int readRegion();
    int readFrequencySettings();
    int writeMode(bool restartAfter);
    int writeRegion();
    int writeFrequencyChannels();
    int prepareTxPairing();
    // Read a cell into its field and log it.
    bool loadMode();
    bool loadRegion();

    int taskAction = 0;
    QString unitPort;
    vx_zyra_t handle{};
    bool busy = false;
    bool cancelRequested = false;
    mutable QMutex lock;
};
