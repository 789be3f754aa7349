// A working directory laid out like the program's (the sample package in
// "firmware" and "firmware2k", the stand-in dfu-programmer in "utils", the
// video module's shared state in "state"), a virtual unit on the virtual
// bus, a worker and a record of every signal it emits.
#pragma once

#include "qt_test_support.h"
#include "updaterthread.h"
#include "wire_codes.h"
#include "xmega_state.h"

#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"
#include "zyra_sim/virtual_unit.h"

#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

// Signals as text, in the order emitted: "finished", "error <code>: <text>",
// "progress <n>", "detected <text>", "recovery <status>",
// "dfuNotPresent <text>", "pairReady", "notKept <note>".
class SignalLog
{
public:
    void record(const QString &event);
    // A sign of life: it ends a silence but is kept apart from the events.
    void recordSignOfLife(const QString &event);
    QStringList signsOfLife() const;
    void clear();
    QStringList events() const;
    // Without the library's own progress reports (1 to 100).
    QStringList milestones() const;
    // The progress values the library reported, in order.
    QList<int> libraryProgress() const;

    // The longest stretch of virtual time without an event while the
    // program had the turn (from resume() to pause()), and the event that
    // ended it.
    void resume();
    void pause();
    int64_t longestSilenceMs() const;
    QString longestSilenceEndedBy() const;

private:
    void stamp(const QString &event, int64_t now);

    mutable QMutex mutex_;
    QStringList events_;
    QStringList signsOfLife_;
    bool watching_ = false;
    int64_t lastMs_ = 0;
    int64_t longestSilenceMs_ = 0;
    QString longestSilenceEndedBy_;
};

QString errorEvent(int code, const QString &text);

// A slot of the worker, or any work on it between two slots.
using Step = std::function<void(UpdaterThread &)>;

// While it lives, no temporary file can be created: Qt falls back from a
// missing directory, but nobody can create files in /proc.
class NoTemporaryFiles
{
public:
    NoTemporaryFiles();
    ~NoTemporaryFiles();

private:
    QByteArray previous_;
};

// While it lives, a dfu-programmer run is given up after 300 real
// milliseconds, so that a hung stand-in does not hold a test for 30 s.
class ShortProcessWait
{
public:
    ShortProcessWait();
    ~ShortProcessWait();
};

// The unit leaves the next `count` commands of the code unanswered; the
// count can be raised later through the pointer.
std::shared_ptr<int> ignoreNext(zyra_sim::VirtualUnit &unit, uint8_t code, int count);

// The unit's side for a device type (0, 1, 4 are transmitters).
uint8_t sideOf(int deviceType);
// From now on the unit answers GET_SIDE with `side`.
void answerSideWith(zyra_sim::VirtualUnit &unit, uint8_t side);
// The storage ids of the frames of one command the unit received, in order.
std::vector<uint16_t> storageIds(const zyra_sim::VirtualUnit &unit, uint8_t code);

class WorkerFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets the worker's device type; for a type with a video module the
    // XMEGA waits in DFU mode with an older image ("FWv1.3").
    void useDeviceType(int type);
    std::shared_ptr<zyra_sim::VirtualUnit> attachUnit(uint8_t side);
    // A unit of the device type on the bus with the session open and its
    // identity read, as reconnect2Device leaves it.
    std::shared_ptr<zyra_sim::VirtualUnit> connectUnit(int deviceType);
    zyra_dfu::XmegaState xmega() const;
    // A fresh worker on the handle, its signals recorded in the log, as
    // SetUp makes `worker`.
    std::unique_ptr<UpdaterThread> makeWorker();
    // Records the worker's signals in the log as they are emitted.
    void recordSignals(UpdaterThread *w);

    QString path(const QString &relative) const;
    void writeFile(const QString &relative, const QByteArray &content);
    void removeFile(const QString &relative);
    QByteArray packageFile(const QString &relative) const;

    // Runs the steps one after the other in a thread of the worker's own,
    // each only after the one before emitted finished(), as the main window
    // chains them.
    void runChain(const std::vector<Step> &steps);
    int64_t virtualSeconds() const;

    QTemporaryDir directory;
    vx_zyra_t handle{};
    eeprom_settings fanControl{};
    std::unique_ptr<UpdaterThread> worker;
    SignalLog log;

private:
    QString previousDirectory_;
    QByteArray previousPath_;
};
