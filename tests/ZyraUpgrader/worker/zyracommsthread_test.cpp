// The comms worker's tasks against transmitter and receiver units, wired to
// its thread the way its owners wire it.
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <vector>

#include "settingstest.h"
#include "workerthread.h"
#include "zyra_sim/bus.h"
#include "zyracommsthread.h"

using namespace settingstest;
using Bytes = zyra_sim::Bytes;

namespace {

const int tx = 1;
const int rx = 2;

// The worker on its own thread, wired as its owners wire it: start on
// request, run on start, quit when done.
class WorkerOnThread
{
public:
    WorkerOnThread() : reports(&worker, SIGNAL(threadSignal(int, int))), stops(&worker, SIGNAL(threadStopped()))
    {
        workerthread::wireComms(&thread, &worker);
    }
    ~WorkerOnThread()
    {
        thread.quit();
        thread.wait();
    }

    // Runs the task to its end; the single status it reported, or -1.
    int run(int action)
    {
        worker.startTask(action);
        if (!thread.wait(30000) || reports.count() != 1)
            return -1;
        return reports.takeFirst().at(1).toInt();
    }

    QThread thread;
    ZyraCommsThread worker;
    QSignalSpy reports;
    QSignalSpy stops;
};

// Starts a region read that the unit holds at its first storage read.
bool startHeldRegionRead(WorkerOnThread &run, CommandGate &gate, zyra_sim::VirtualUnit &unit)
{
    gate.install(unit, code::storageGet);
    run.worker.startTask(ZyraCommsThread::TASK_READ_REGION);
    return QTest::qWaitFor([&gate] { return gate.reached(); }, 10000);
}

Bytes channelsWithPair(uint8_t first, uint8_t second)
{
    Bytes channels(28, 0);
    channels[0] = first;
    channels[1] = second;
    return channels;
}

}  // namespace

class CommsThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void sides_data();
    void readModeTakesTheCellOfTheSide_data() { sides_data(); }
    void readModeTakesTheCellOfTheSide();
    void readFrequencySettingsTakesAllThreeCells_data() { sides_data(); }
    void readFrequencySettingsTakesAllThreeCells();
    void everyReadIsIssuedTwice();
    void channelCellOfWrongLengthFailsAndKeepsTheField();
    void emptyCellIsNeverSetNotAFailure_data();
    void emptyCellIsNeverSetNotAFailure();

    void writeModeStoresAChangedMode_data() { sides_data(); }
    void writeModeStoresAChangedMode();
    void unchangedValuesWriteNothing();
    void writeModeAndRestartRestartsOnlyOnChange();
    void writeChannelsGoesToTheCellOfTheSide_data() { sides_data(); }
    void writeChannelsGoesToTheCellOfTheSide();
    void writeChannelsRefusesARegionMismatch();

    void prepareTxPairingForcesUnicastAndRestarts();
    void prepareTxPairingOnUnicastGoesStraightToRegistration();
    void prepareTxPairingRefusesAReceiver();
    void unknownActionFails();

    void failedConnectReportsFailure();
    void writeReachesTheChosenUnitOnly_data();
    void writeReachesTheChosenUnitOnly();
    void sessionLeftOpenIsClosedBeforeTheNextConnect();
    void startWhileBusyChangesNothing();
    void cancelSuppressesTheReportButStillStops();
};

void CommsThreadTest::cleanup()
{
    emptyBus();
}

void CommsThreadTest::sides_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("modeId");
    QTest::addColumn<int>("channelsId");
    QTest::newRow("transmitter") << tx << 8 << 127;
    QTest::newRow("receiver") << rx << 7 << 118;
}

void CommsThreadTest::readModeTakesTheCellOfTheSide()
{
    QFETCH(int, side);
    QFETCH(int, modeId);
    auto unit = attachUnit(side);
    unit->setStorage(modeId, {2});
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_MODE), 0);
    QCOMPARE(run.worker.transmissionMode, uint8_t(2));
}

void CommsThreadTest::readFrequencySettingsTakesAllThreeCells()
{
    QFETCH(int, side);
    QFETCH(int, modeId);
    QFETCH(int, channelsId);
    auto unit = attachUnit(side);
    unit->setStorage(1, {8});
    unit->setStorage(modeId, {2});
    unit->setStorage(channelsId, channelsWithPair(0x38, 0x3C));
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS), 0);
    QCOMPARE(run.worker.region, uint8_t(8));
    QCOMPARE(run.worker.transmissionMode, uint8_t(2));
    QCOMPARE(Bytes(run.worker.frequencyChannels, run.worker.frequencyChannels + 28), channelsWithPair(0x38, 0x3C));
}

void CommsThreadTest::everyReadIsIssuedTwice()
{
    auto unit = attachUnit(tx);
    unit->setStorage(1, {7});
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_REGION), 0);
    QCOMPARE(run.worker.region, uint8_t(7));
    QCOMPARE(storageGetCount(*unit, 1), 2);
    QVERIFY2(unit->framesWithCode(wire::GET_SIDE).empty(), "reading the region needs no identity");
}

void CommsThreadTest::channelCellOfWrongLengthFailsAndKeepsTheField()
{
    auto unit = attachUnit(tx);
    unit->setStorage(127, Bytes(40, 0xAB));
    WorkerOnThread run;
    std::fill(run.worker.frequencyChannels, run.worker.frequencyChannels + 28, 0x11);

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS), 1);
    QCOMPARE(Bytes(run.worker.frequencyChannels, run.worker.frequencyChannels + 28), Bytes(28, 0x11));
}

void CommsThreadTest::emptyCellIsNeverSetNotAFailure_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QByteArray>("stored");  // empty: the cell was never set
    QTest::addColumn<int>("status");
    QTest::newRow("read mode") << int(ZyraCommsThread::TASK_READ_MODE) << 8 << QByteArray() << 0;
    QTest::newRow("read settings, mode") << int(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS) << 8 << QByteArray()
                                         << 0;
    QTest::newRow("read settings, channels")
        << int(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS) << 127 << QByteArray() << 0;
    QTest::newRow("prepare pairing") << int(ZyraCommsThread::TASK_PREPARE_TX_PAIRING) << 8 << QByteArray() << 0;
    QTest::newRow("over-long mode still refused") << int(ZyraCommsThread::TASK_READ_MODE) << 8 << QByteArray(2, 4) << 1;
    // The dialogs set a mode or region never set: read, then written.
    QTest::newRow("read region") << int(ZyraCommsThread::TASK_READ_REGION) << 1 << QByteArray() << 0;
    QTest::newRow("write mode") << int(ZyraCommsThread::TASK_WRITE_MODE) << 8 << QByteArray() << 0;
    QTest::newRow("write region") << int(ZyraCommsThread::TASK_WRITE_REGION) << 1 << QByteArray() << 0;
    QTest::newRow("channels need a region")
        << int(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS) << 1 << QByteArray() << 1;
}

void CommsThreadTest::emptyCellIsNeverSetNotAFailure()
{
    QFETCH(int, action);
    QFETCH(int, cell);
    QFETCH(QByteArray, stored);
    QFETCH(int, status);
    auto unit = attachUnit(tx);
    unit->setStorage(1, {8});
    unit->setStorage(8, {2});
    unit->setStorage(127, channelsWithPair(0x38, 0x3C));
    if (stored.isEmpty())
        unit->eraseStorage(cell);
    else
        unit->setStorage(cell, Bytes(stored.begin(), stored.end()));
    WorkerOnThread run;
    run.worker.transmissionMode = 0x11;
    run.worker.region = 0x11;
    std::fill(run.worker.frequencyChannels, run.worker.frequencyChannels + 28, 0x11);

    QCOMPARE(run.run(action), status);
    if (status != 0)
        return;
    if (action == ZyraCommsThread::TASK_WRITE_MODE || action == ZyraCommsThread::TASK_WRITE_REGION)
        QCOMPARE(unit->storage(cell), Bytes{0x11});
    else if (cell == 1)
        QVERIFY(run.worker.regionUnset);
    else if (cell == 8)
        QCOMPARE(run.worker.transmissionMode, uint8_t(0));
    else
        QCOMPARE(Bytes(run.worker.frequencyChannels, run.worker.frequencyChannels + 28), Bytes(28, 0));
    if (action == ZyraCommsThread::TASK_PREPARE_TX_PAIRING) {
        QCOMPARE(unit->storage(8), Bytes{4});
        QCOMPARE(unit->registrationCount(), 1);
    }
}

void CommsThreadTest::writeModeStoresAChangedMode()
{
    QFETCH(int, side);
    QFETCH(int, modeId);
    auto unit = attachUnit(side);
    WorkerOnThread run;
    run.worker.transmissionMode = 2;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_MODE), 0);
    QCOMPARE(unit->storage(modeId), Bytes{2});
    QCOMPARE(storageSetIds(*unit), std::vector<uint16_t>{uint16_t(modeId)});
    QCOMPARE(unit->restartCount(), 0);
}

void CommsThreadTest::unchangedValuesWriteNothing()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;
    run.worker.transmissionMode = 4;
    run.worker.region = 4;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_MODE), 0);
    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART), 0);
    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_REGION), 0);
    QVERIFY2(storageSetIds(*unit).empty(), "values equal to the stored ones are not written");
    QCOMPARE(unit->restartCount(), 0);
}

void CommsThreadTest::writeModeAndRestartRestartsOnlyOnChange()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;
    run.worker.transmissionMode = 2;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART), 0);
    QCOMPARE(unit->storage(8), Bytes{2});
    QCOMPARE(unit->restartCount(), 1);
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void CommsThreadTest::writeChannelsGoesToTheCellOfTheSide()
{
    QFETCH(int, side);
    QFETCH(int, channelsId);
    auto unit = attachUnit(side);
    WorkerOnThread run;
    run.worker.region = 4;
    std::fill(run.worker.frequencyChannels, run.worker.frequencyChannels + 28, 0);
    run.worker.frequencyChannels[0] = 0x38;
    run.worker.frequencyChannels[1] = 0x3C;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS), 0);
    QCOMPARE(unit->storage(channelsId), channelsWithPair(0x38, 0x3C));
    QCOMPARE(storageSetIds(*unit), std::vector<uint16_t>{uint16_t(channelsId)});
}

void CommsThreadTest::writeChannelsRefusesARegionMismatch()
{
    auto unit = attachUnit(tx);
    unit->setStorage(1, {3});
    const auto before = unit->storage(127);
    WorkerOnThread run;
    run.worker.region = 4;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS), 1);
    QVERIFY2(storageSetIds(*unit).empty(), "a list for another region's plan is not written");
    QCOMPARE(unit->storage(127), before);
}

void CommsThreadTest::prepareTxPairingForcesUnicastAndRestarts()
{
    auto unit = attachUnit(tx);
    unit->setStorage(8, {2});
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_PREPARE_TX_PAIRING), 0);
    QCOMPARE(unit->storage(8), Bytes{4});
    QCOMPARE(unit->restartCount(), 1);
    QCOMPARE(unit->registrationCount(), 1);
    QCOMPARE(run.worker.transmissionMode, uint8_t(2));  // the mode before pairing, for setting it back
}

void CommsThreadTest::prepareTxPairingOnUnicastGoesStraightToRegistration()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_PREPARE_TX_PAIRING), 0);
    QVERIFY(storageSetIds(*unit).empty());
    QCOMPARE(unit->restartCount(), 0);
    QCOMPARE(unit->registrationCount(), 1);
}

void CommsThreadTest::prepareTxPairingRefusesAReceiver()
{
    auto unit = attachUnit(rx);
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_PREPARE_TX_PAIRING), 1);
    QVERIFY2(unit->framesWithCode(code::storageGet).empty() && storageSetIds(*unit).empty(),
             "a receiver's storage is not touched");
    QCOMPARE(unit->registrationCount(), 0);
}

void CommsThreadTest::unknownActionFails()
{
    attachUnit(tx);
    WorkerOnThread run;
    QCOMPARE(run.run(8), 1);
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void CommsThreadTest::failedConnectReportsFailure()
{
    emptyBus();
    WorkerOnThread run;

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_REGION), 1);
    QCOMPARE(run.stops.count(), 1);
    QVERIFY(!run.worker.isBusy());
    QCOMPARE(zyra_sim::Bus::instance().misuses(), 0);
}

void CommsThreadTest::writeReachesTheChosenUnitOnly_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("status");
    QTest::newRow("chosen") << "1-2.1" << 0;
    QTest::newRow("none chosen") << "" << 50;
    QTest::newRow("nothing at the chosen port") << "1-3.1" << 51;
}

// Two transmitters, the other one first on the bus.
void CommsThreadTest::writeReachesTheChosenUnitOnly()
{
    QFETCH(QString, port);
    QFETCH(int, status);
    emptyBus();
    auto chosen = std::make_shared<zyra_sim::VirtualUnit>(tx);
    auto other = std::make_shared<zyra_sim::VirtualUnit>(tx);
    zyra_sim::Bus::instance().attach(chosen, "1-2");
    zyra_sim::Bus::instance().attachAnother(other, "1-1");
    WorkerOnThread run;
    run.worker.setUnitPort(port);
    run.worker.transmissionMode = 2;

    QCOMPARE(run.run(ZyraCommsThread::TASK_WRITE_MODE), status);
    if (status == 0)
        QCOMPARE(chosen->storage(8), Bytes{2});
    else
        QVERIFY2(chosen->frames().empty(), "nothing is written before the refusal");
    QVERIFY2(other->frames().empty(), "nothing reaches the other unit");
}

void CommsThreadTest::sessionLeftOpenIsClosedBeforeTheNextConnect()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;
    // As a task stopped forcibly between its connect and disconnect leaves it.
    QCOMPARE(vx_zyra_connect(run.worker.deviceHandle()), 0);

    QCOMPARE(run.run(ZyraCommsThread::TASK_READ_REGION), 0);
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void CommsThreadTest::startWhileBusyChangesNothing()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;
    CommandGate gate;  // released before the thread is joined
    QVERIFY(startHeldRegionRead(run, gate, *unit));

    run.worker.startTask(ZyraCommsThread::TASK_READ_MODE);
    QVERIFY(run.worker.isBusy());
    gate.release();
    QVERIFY(run.thread.wait(30000));

    QCOMPARE(run.reports.count(), 1);
    QCOMPARE(run.reports.at(0).at(0).toInt(), int(ZyraCommsThread::TASK_READ_REGION));
    QVERIFY2(unit->framesWithCode(wire::GET_SIDE).empty(), "the mode read never ran");
}

void CommsThreadTest::cancelSuppressesTheReportButStillStops()
{
    auto unit = attachUnit(tx);
    WorkerOnThread run;
    CommandGate gate;  // released before the thread is joined
    QVERIFY(startHeldRegionRead(run, gate, *unit));

    run.worker.requestCancel();
    gate.release();
    QVERIFY(run.thread.wait(30000));

    QCOMPARE(run.reports.count(), 0);
    QCOMPARE(run.stops.count(), 1);
    QVERIFY(!run.worker.isBusy());
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

QTEST_GUILESS_MAIN(CommsThreadTest)
#include "wire_codes.h"
#include "zyracommsthread_test.moc"
