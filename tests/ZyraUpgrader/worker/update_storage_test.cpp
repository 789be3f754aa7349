// updateStorage and modifyStorageCell: storage.ini written into the unit
// and the user's configuration carried across.
#include <optional>

#include "wire_codes.h"
#include "worker_fixture.h"

namespace {

const uint8_t storageSet = wire::STORAGE_SET;
const uint8_t storageGet = wire::STORAGE_GET;
const uint8_t storageRestore = wire::STORAGE_RESTORE;
const QString configurationError = "Error updating device configuration\n\nError Code: %1";
const QString readError = "Error reading device configuration\n\nError Code: %1";
const zyra_sim::Bytes userChannels(28, 0x5A);

// The unit ignores the storage writes of one id, so every write of it fails.
void refuseWritesOf(zyra_sim::VirtualUnit &unit, uint16_t id)
{
    unit.onCommand(storageSet, [id](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        if ((frame.payload.at(0) | frame.payload.at(1) << 8) != id)
            u.handleNormally(frame);
    });
}

// The unit leaves the next `frames` storage reads of one id unanswered (a
// read of the worker is two frames); the rest it answers.
void loseReadsOf(zyra_sim::VirtualUnit &unit, uint16_t id, int frames)
{
    auto left = std::make_shared<int>(frames);
    unit.onCommand(storageGet, [id, left](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        if ((frame.payload.at(0) | frame.payload.at(1) << 8) != id || (*left)-- <= 0)
            u.handleNormally(frame);
    });
}

class UpdateStorage : public WorkerFixture
{
protected:
    // A unit of the type whose user has set region 6, broadcast mode and
    // their own channels.
    std::shared_ptr<zyra_sim::VirtualUnit> userUnit(int deviceType)
    {
        auto unit = connectUnit(deviceType);
        const bool tx = sideOf(deviceType) == VX_ZYRA_TX;
        unit->setStorage(1, {6});
        unit->setStorage(tx ? 8 : 7, {2});
        unit->setStorage(tx ? 127 : 118, userChannels);
        return unit;
    }

    void storageIni(const QByteArray &content)
    {
        writeFile(QString(worker->deviceType >= 4 ? "firmware2k" : "firmware") + "/storage.ini", content);
    }
};

TEST_F(UpdateStorage, UpdatePathWritesTheCellsThenTheSavedRegionAndRestarts)
{
    auto unit = userUnit(0);
    storageIni("[STORAGE_TX]\n200=3\n5=1, 2, 300\n");
    worker->storagePending = true;
    worker->region = 9;
    worker->updateStorage();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500"}));
    EXPECT_EQ(unit->storage(200), zyra_sim::Bytes{3});
    EXPECT_EQ(unit->storage(5), (zyra_sim::Bytes{1, 2, 44}));
    EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{9}) << "the region saved before the update is written back";
    EXPECT_EQ(storageIds(*unit, storageSet), (std::vector<uint16_t>{200, 5, 1}));
    EXPECT_EQ(unit->restoreCount(), 0);
    EXPECT_EQ(unit->restartCount(), 1);
    EXPECT_FALSE(worker->storagePending);
}

class PairingStorage : public UpdateStorage, public testing::WithParamInterface<int>
{
};

TEST_P(PairingStorage, ConfigurationIsReadRestoredAroundAndWrittenBackWithTheSidesIds)
{
    const int type = GetParam();
    const bool tx = sideOf(type) == VX_ZYRA_TX;
    const bool is2K = type >= 4;
    auto unit = userUnit(type);
    storageIni("[STORAGE_TX]\n20=1\n[STORAGE_RX]\n20=2\n");
    worker->pairingInProgress = true;
    worker->updateStorage();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500"}));
    EXPECT_EQ(unit->restoreCount(), 1);
    EXPECT_EQ(unit->restartCount(), 0);
    EXPECT_EQ(unit->storage(20), zyra_sim::Bytes{uint8_t(tx ? 1 : 2)});
    EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{6});
    const uint16_t mode = tx ? 8 : 7;
    const uint16_t channels = tx ? 127 : 118;
    if (is2K) {
        EXPECT_EQ(unit->storage(mode), zyra_sim::Bytes{2});
        EXPECT_EQ(unit->storage(channels), userChannels);
        EXPECT_EQ(storageIds(*unit, storageGet), (std::vector<uint16_t>{1, 1, channels, channels, mode, mode}));
        EXPECT_EQ(storageIds(*unit, storageSet), (std::vector<uint16_t>{20, 1, mode, channels}));
    } else {
        EXPECT_EQ(storageIds(*unit, storageGet), (std::vector<uint16_t>{1, 1}));
        EXPECT_EQ(storageIds(*unit, storageSet), (std::vector<uint16_t>{20, 1}));
    }
}

INSTANTIATE_TEST_SUITE_P(HdmiRxAnd2KUnits, PairingStorage, testing::Values(2, 4, 5));

TEST_F(UpdateStorage, RestoreOnlyGroupRestoresAndWritesBackNothingElse)
{
    auto unit = userUnit(1);
    storageIni("[STORAGE_TX]\nrestore=true\nname=4\n");
    worker->updateStorage();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500"}));
    EXPECT_EQ(unit->restoreCount(), 1);
    EXPECT_EQ(storageIds(*unit, storageSet), std::vector<uint16_t>{1}) << "a key that is no id is skipped";
    EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{6});
}

TEST_F(UpdateStorage, RegionReadIsRetriedTenTimesThenErrorFortyThree)
{
    auto unit = userUnit(3);
    // Two reads a pass: the first ten passes fail.
    const std::shared_ptr<int> failing = ignoreNext(*unit, storageGet, 20);
    worker->updateStorage();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500"})) << "the 11th read succeeds";
    EXPECT_EQ(zyra_sim::Bus::instance().resetCount(), 10);

    *failing = 22;
    log.clear();
    worker->updateStorage();
    EXPECT_EQ(log.events(), QStringList{errorEvent(43, readError.arg(43))});
}

TEST_F(UpdateStorage, EveryFailureReportsItsCodeAndClearsTheFlag)
{
    const struct {
        int type;
        std::function<void(zyra_sim::VirtualUnit &)> fault;
        QString event;
    } cases[] = {
        {0, [](zyra_sim::VirtualUnit &u) { answerSideWith(u, 0); }, errorEvent(40, configurationError.arg(40))},
        {0, [](zyra_sim::VirtualUnit &u) { answerSideWith(u, 3); }, errorEvent(41, configurationError.arg(41))},
        {0, [this](zyra_sim::VirtualUnit &) { removeFile("firmware/storage.ini"); },
         errorEvent(42, "R " + configurationError.arg(42))},
        // Capturing the configuration (no update pending) reads the mode cell.
        {5,
         [this](zyra_sim::VirtualUnit &u) {
             loseReadsOf(u, 7, 1000);
             worker->storagePending = false;
         },
         errorEvent(44, readError.arg(44))},
        {1, [](zyra_sim::VirtualUnit &u) { u.silenceCommand(storageRestore); },
         errorEvent(45, configurationError.arg(45))},
        {1, [](zyra_sim::VirtualUnit &u) { refuseWritesOf(u, 20); }, errorEvent(46, configurationError.arg(46))},
        {4, [](zyra_sim::VirtualUnit &u) { refuseWritesOf(u, 127); },
         errorEvent(48, "Error writing back User configuration\n\nError Code: 48")},
        // The restore may have happened: a write-back that fails too is the
        // error, not the restore's.
        {1,
         [](zyra_sim::VirtualUnit &u) {
             u.silenceCommand(storageRestore);
             refuseWritesOf(u, 1);
         },
         errorEvent(48, "Error writing back User configuration\n\nError Code: 48")},
        // The last restart's unit never comes back: not updated.
        {1, [](zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::SYSTEM_RESTART, 3'600'000); },
         errorEvent(40, configurationError.arg(40))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.event.toStdString());
        if (handle.devh)
            vx_zyra_disconnect(&handle);
        log.clear();
        auto unit = userUnit(c.type);
        storageIni("[STORAGE_TX]\nrestore=true\n20=1\n21=2\n[STORAGE_RX]\nrestore=true\n20=1\n");
        worker->storagePending = true;
        c.fault(*unit);
        worker->updateStorage();
        EXPECT_EQ(log.events(), QStringList{c.event});
        EXPECT_FALSE(worker->storagePending);
    }
}

// Radio 1 then the configuration, as an update runs them, on a 2K
// transmitter whose user set region 6, broadcast mode and their channels.
TEST_F(UpdateStorage, UpdateKeepsTheUsersCellsThroughLostReadsAndFailedWrites)
{
    const int never = 1000;
    const int wholeRetry = 22;  // eleven passes of two frames
    const QString written = "progress 1500";
    const struct {
        const char *fault;
        std::function<void(zyra_sim::VirtualUnit &)> inject;
        QStringList events;           // of updateStorage
        bool restored;                // by the unit's own STORAGE_RESTORE
        std::optional<uint8_t> mode;  // left in the mode cell, if set
    } cases[] = {
        {"none", [](zyra_sim::VirtualUnit &) {}, {"finished", written}, true, 2},
        {"one region read lost",
         [](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 1, 2); },
         {"finished", written},
         true,
         2},
        {"region unread by Radio 1",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 1, wholeRetry); },
         {"finished", written},
         true,
         2},
        {"channels unread by Radio 1",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 127, wholeRetry); },
         {"finished", written},
         true,
         2},
        {"mode unread by Radio 1",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 8, wholeRetry); },
         {"finished", written},
         true,
         2},
        {"region never read",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 1, never); },
         {errorEvent(43, readError.arg(43))},
         false,
         2},
        {"channels never read",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 127, never); },
         {errorEvent(47, readError.arg(47))},
         false,
         2},
        {"mode never read",
         [&](zyra_sim::VirtualUnit &u) { loseReadsOf(u, 8, never); },
         {errorEvent(44, readError.arg(44))},
         false,
         2},
        {"storage.ini cell refused after the restore",
         [](zyra_sim::VirtualUnit &u) { refuseWritesOf(u, 20); },
         {errorEvent(46, configurationError.arg(46))},
         true,
         2},
        {"restore done, its answer lost",
         [](zyra_sim::VirtualUnit &u) {
             u.onCommand(storageRestore, [](zyra_sim::VirtualUnit &unit, const zyra_sim::ReceivedFrame &) {
                 for (uint16_t id : {1, 8, 127})
                     unit.eraseStorage(id);
             });
         },
         {errorEvent(45, configurationError.arg(45))},
         false,
         2},
        // Read once, not retried, and not written back.
        {"mode never set",
         [](zyra_sim::VirtualUnit &u) { u.eraseStorage(8); },
         {"finished", written},
         true,
         std::nullopt},
        {"mode write-back refused",
         [](zyra_sim::VirtualUnit &u) { refuseWritesOf(u, 8); },
         {"notKept NOTE: The transmission mode could not be written back to the device.", "finished", written},
         true,
         4 /* the factory default */},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        if (handle.devh)
            vx_zyra_disconnect(&handle);
        log.clear();
        worker->region = 0;
        worker->transmissionMode = 0;
        std::fill(std::begin(worker->frequencyChannels), std::end(worker->frequencyChannels), 0);
        auto unit = userUnit(4);
        c.inject(*unit);
        worker->storagePending = true;
        worker->updateAPPFW();
        ASSERT_EQ(log.milestones(), QStringList{"finished"});
        log.clear();
        worker->updateStorage();
        EXPECT_EQ(log.events(), c.events);
        EXPECT_EQ(unit->restoreCount(), c.restored ? 1 : 0);
        EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{6});
        EXPECT_EQ(unit->storage(127), userChannels);
        EXPECT_EQ(unit->storage(8), c.mode ? std::optional<zyra_sim::Bytes>(zyra_sim::Bytes{*c.mode}) : std::nullopt);
    }
}

TEST_F(UpdateStorage, FailedWriteStopsBeforeTheFollowingKeys)
{
    auto unit = userUnit(0);
    storageIni("[STORAGE_TX]\n20=1\n21=2\n");
    refuseWritesOf(*unit, 20);
    worker->updateStorage();
    EXPECT_EQ(log.events(), QStringList{errorEvent(46, configurationError.arg(46))});
    EXPECT_EQ(storageIds(*unit, storageSet), std::vector<uint16_t>(7, 20));
    EXPECT_EQ(zyra_sim::Bus::instance().resetCount(), 7) << "a reconnect after each failed attempt";
}

TEST_F(UpdateStorage, OverlongListIsRefusedBeforeTheUnitIsChanged)
{
    auto unit = userUnit(0);
    storageIni("[STORAGE_TX]\nrestore=true\n20=1\n7=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n");
    worker->updateStorage();
    EXPECT_EQ(log.events(), QStringList{errorEvent(46, configurationError.arg(46))});
    EXPECT_EQ(unit->restoreCount(), 0);
    EXPECT_TRUE(unit->framesWithCode(storageSet).empty());
}

TEST_F(UpdateStorage, ModifyStorageCellRetriesWithReconnectsAndReturnsTheLastResult)
{
    auto unit = userUnit(0);
    const std::shared_ptr<int> failing = ignoreNext(*unit, storageSet, 2);
    uint8_t value[] = {1, 2};
    EXPECT_EQ(worker->modifyStorageCell(&handle, 300, value, 2), 0);
    EXPECT_EQ(unit->storage(300), (zyra_sim::Bytes{1, 2}));
    EXPECT_EQ(zyra_sim::Bus::instance().resetCount(), 2);

    *failing = 100;
    const int result = worker->modifyStorageCell(&handle, 300, value, 2);
    EXPECT_EQ(storageIds(*unit, storageSet).size(), 3u + 7u);
    const int unanswered = vx_zyra_storage_set(&handle, 300, value, 2);
    EXPECT_NE(unanswered, 0);
    EXPECT_EQ(result, unanswered) << "the result of the last attempt";
    EXPECT_TRUE(log.events().isEmpty()) << "modifyStorageCell reports nothing itself";
}

}  // namespace
