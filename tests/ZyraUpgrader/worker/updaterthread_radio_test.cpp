// reconnect2Device, updateAPPFW and updateMACFW: the radio stage of an
// update against the virtual unit.
#include "package_images.h"
#include "wire_codes.h"
#include "worker_fixture.h"

#include <QSettings>

namespace {

const uint8_t execBootloader = wire::EXEC_BOOTLOADER;
const uint8_t startUpgrade = wire::START_UPGRADE;
const uint8_t storageGet = wire::STORAGE_GET;
const uint8_t systemRestart = wire::SYSTEM_RESTART;
const uint8_t updateMacStart = wire::UPDATE_MAC_START;
const int64_t neverBackMs = 24LL * 3600 * 1000;
const QString powerCycleAdvice = "Disconnect the unit's power and USB, wait ten seconds, reconnect it, then try again.";

samplepackage::Description packageOf(int deviceType)
{
    return samplepackage::samplePackages().at(deviceType >= 4 ? 1 : 0);
}

void answerSideUnknown(zyra_sim::VirtualUnit &unit)
{
    answerSideWith(unit, 0);
}

class RadioStep : public WorkerFixture
{
};

TEST_F(RadioStep, ReconnectFindsAUnitBackAtTheEleventhAttempt)
{
    worker->deviceType = 3;
    attachUnit(VX_ZYRA_RX)->dropOffBus(0, 10);
    worker->reconnect2Device();
    EXPECT_EQ(log.events(), (QStringList{"progress 1000", "finished"}));
    EXPECT_EQ(zyra_sim::Clock::instance().sleeps(), std::vector<int64_t>(11, 6000));
    EXPECT_EQ(handle.side, VX_ZYRA_RX);
}

TEST_F(RadioStep, ReconnectToAUnitThatCannotTellItsSideAsksForRecoveryWithTheHandleOpen)
{
    answerSideUnknown(*attachUnit(VX_ZYRA_TX));
    worker->reconnect2Device();
    EXPECT_EQ(log.events(), QStringList{"recovery 0"});
    EXPECT_NE(handle.devh, nullptr);
}

class UpdateAppForEveryType : public RadioStep, public testing::WithParamInterface<int>
{
};

TEST_P(UpdateAppForEveryType, WritesTheApplicationFirmwareIniNamesForTheUnitsSide)
{
    const int type = GetParam();
    const samplepackage::Description package = packageOf(type);
    auto unit = connectUnit(type);
    worker->updateAPPFW();
    EXPECT_EQ(log.milestones(), QStringList{"finished"});
    const QList<int> progress = log.libraryProgress();
    EXPECT_EQ(progress.value(0), 1);
    EXPECT_TRUE(progress.contains(85));
    EXPECT_EQ(progress.value(progress.size() - 1), 100) << "the library's reports are passed on unchanged";
    EXPECT_EQ(unit->appVersion(), package.applicationVersion);
    EXPECT_EQ(unit->flash(samplepackage::applicationBase, samplepackage::applicationBytes),
              samplepackage::radioApplicationData(package, sideOf(type), false));
}

INSTANTIATE_TEST_SUITE_P(DeviceTypes, UpdateAppForEveryType, testing::Range(0, 6));

TEST_F(RadioStep, UpdateAppSavesOnlyTheRegionForHdmiAndSdiUnits)
{
    auto unit = connectUnit(1);
    unit->setStorage(1, {6});
    worker->updateAPPFW();
    EXPECT_EQ(worker->region, 6);
    EXPECT_EQ(storageIds(*unit, storageGet), (std::vector<uint16_t>{1, 1})) << "each cell is read twice";
}

TEST_F(RadioStep, UpdateAppSavesRegionChannelsAndModeOfA2KReceiverTranslatingItsRegion)
{
    auto unit = connectUnit(5);
    const zyra_sim::Bytes channels(28, 0x3C);
    unit->setStorage(1, {8});
    unit->setStorage(118, channels);
    unit->setStorage(7, {2});
    worker->updateAPPFW();
    EXPECT_EQ(worker->region, 3) << "a 2K receiver's region 8 is kept as 3";
    EXPECT_EQ(zyra_sim::Bytes(worker->frequencyChannels, worker->frequencyChannels + 28), channels);
    EXPECT_EQ(worker->transmissionMode, 2);
    EXPECT_EQ(storageIds(*unit, storageGet), (std::vector<uint16_t>{1, 1, 118, 118, 7, 7}));
}

TEST_F(RadioStep, UpdateAppIgnoresAStoredValueOfTheWrongLength)
{
    auto unit = connectUnit(0);
    unit->setStorage(1, zyra_sim::Bytes(40, 9));
    worker->region = 5;
    worker->updateAPPFW();
    EXPECT_EQ(worker->region, 5);
    EXPECT_EQ(log.milestones(), QStringList{"finished"});
    EXPECT_EQ(storageIds(*unit, storageGet), (std::vector<uint16_t>{1, 1})) << "an answer is not asked for again";
}

// A 2K unit whose cells go unanswered: the region gets its passes while the
// unit comes back after each reconnect, the other cells one pass; a unit that
// never comes back ends the reading at its first failed reconnect.
TEST_F(RadioStep, UnansweredCellReadsStopWhenNoFurtherPassCanSucceed)
{
    for (const bool comesBack : {true, false}) {
        SCOPED_TRACE(comesBack ? "comes back" : "gone for good");
        auto unit = connectUnit(4);
        unit->silenceCommand(storageGet);
        if (!comesBack)
            unit->dropOffBusAt(storageGet, neverBackMs);
        const int64_t start = zyra_sim::Clock::instance().nowMs();
        worker->updateAPPFW();
        EXPECT_EQ(storageIds(*unit, storageGet).size(), comesBack ? 26u : 1u);
        EXPECT_LT(zyra_sim::Clock::instance().nowMs() - start, (comesBack ? 10 : 5) * 60 * 1000);
        if (handle.devh)
            vx_zyra_disconnect(&handle);
        zyra_sim::Bus::instance().detach();
    }
}

TEST_F(RadioStep, RecoveryWritesTheSidesRecoveryImageExceptOn2KUnits)
{
    auto rx = connectUnit(3);
    worker->recoveryMode = true;
    worker->updateAPPFW();
    EXPECT_EQ(rx->appVersion(), packageOf(3).recoveryVersion) << "app-rx-recovery.hex of firmware";

    vx_zyra_disconnect(&handle);
    auto tx2k = connectUnit(4);
    worker->updateAPPFW();
    EXPECT_EQ(tx2k->appVersion(), packageOf(4).applicationVersion);
}

TEST_F(RadioStep, UpdateAppPackageFaultsGiveErrors21And22)
{
    connectUnit(0);
    removeFile("firmware/firmware.ini");
    worker->updateAPPFW();
    writeFile("firmware/firmware.ini", "[FIRMWARE_RX]\napp=app-rx.hex\n");
    worker->updateAPPFW();
    writeFile("firmware/firmware.ini", "[FIRMWARE_TX]\napp=missing.hex\n");
    worker->updateAPPFW();
    EXPECT_EQ(log.events(), (QStringList{errorEvent(21, "Error updating Radio 1\n\nError Code: 21"),
                                         errorEvent(22, "Error updating Radio 1\n\nError Code: 22"),
                                         errorEvent(22, "Error updating Radio 1\n\nError Code: 22")}));
}

TEST_F(RadioStep, UpdateAppOnAUnitOfUnknownSideAsksForRecovery)
{
    answerSideUnknown(*connectUnit(0));
    worker->updateAPPFW();
    EXPECT_EQ(log.events(), QStringList{"recovery 0"});
}

TEST_F(RadioStep, UpdateAppTellsALostUnitFromOtherFailures)
{
    auto unit = connectUnit(0);
    unit->silenceCommand(startUpgrade);
    worker->updateAPPFW();
    EXPECT_EQ(log.milestones(), QStringList{"recovery 0"});
    EXPECT_NE(handle.devh, nullptr) << "recovery 0 means the handle is open";

    vx_zyra_disconnect(&handle);
    unit = connectUnit(0);
    unit->onCommand(execBootloader, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        u.setRestartTimeMs(neverBackMs);
        u.handleNormally(frame);
    });
    log.clear();
    worker->updateAPPFW();
    EXPECT_EQ(handle.error, VX_ZYRA_APP_BOOTLOADER_LOST);
    EXPECT_EQ(log.milestones(), QStringList{"recovery 1"});
    EXPECT_EQ(handle.devh, nullptr);
}

class UpdateMac : public RadioStep, public testing::WithParamInterface<int>
{
};

TEST_P(UpdateMac, SendsTheRegionOfTheUnitsSide)
{
    const int type = GetParam();
    auto unit = connectUnit(type);
    worker->updateMACFW();
    EXPECT_EQ(log.milestones(), QStringList{"finished"});
    EXPECT_EQ(unit->macRegion(), samplepackage::macRegion(packageOf(type), sideOf(type)));
    EXPECT_EQ(handle.version.mac.major, packageOf(type).macVersion[0]);
}

INSTANTIATE_TEST_SUITE_P(BothSides, UpdateMac, testing::Values(0, 5));

TEST_F(RadioStep, UpdateMacFaultsGiveErrors30To33)
{
    auto unit = connectUnit(2);
    removeFile("firmware/firmware.ini");
    worker->updateMACFW();
    writeFile("firmware/firmware.ini", "[FIRMWARE_TX]\nmac=mac.bin\n");
    worker->updateMACFW();
    // A new size: QSettings may not notice a rewrite of the same size within the same moment.
    writeFile("firmware/firmware.ini", "[FIRMWARE_RX]\napp=app-rx.hex\nmac=mac.bin\n");
    unit->silenceCommand(updateMacStart);
    worker->updateMACFW();
    answerSideUnknown(*unit);
    worker->updateMACFW();
    EXPECT_EQ(log.milestones(),
              (QStringList{errorEvent(31, "Error updating Radio 2\n\nError Code: 31"),
                           errorEvent(32, "Error updating Radio 2\n\nError Code: 32"),
                           errorEvent(33, "Error updating Radio 2\n\n" + powerCycleAdvice + "\n\nError Code: 33"),
                           errorEvent(30, " Error updating Radio 2\n\nError Code: 30")}));
}

TEST_F(RadioStep, UpdateMacThatLosesTheUnitReports336AndClosesTheHandle)
{
    auto unit = connectUnit(1);
    unit->onCommand(systemRestart, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        answerSideUnknown(u);
        u.handleNormally(frame);
    });
    worker->updateMACFW();
    EXPECT_EQ(log.milestones(),
              QStringList{errorEvent(336, "Error updating Radio 2\n\n" + powerCycleAdvice + "\n\nError Code: 34")});
    EXPECT_EQ(handle.devh, nullptr);
    EXPECT_EQ(zyra_sim::Bus::instance().openHandles(), 0);
}

}  // namespace
