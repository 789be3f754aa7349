// A whole update run in the worker's own thread, chained as the main window
// chains it, for each of the six device types.
#include "package_images.h"
#include "worker_fixture.h"

namespace {

class FullUpdate : public WorkerFixture, public testing::WithParamInterface<int>
{
};

TEST_P(FullUpdate, LeavesTheNewImagesAndTheUsersSettingsOnTheUnit)
{
    const int type = GetParam();
    const bool hasVideoModule = type != 2 && type != 5;
    const bool tx = sideOf(type) == VX_ZYRA_TX;
    const samplepackage::Description package = samplepackage::samplePackages().at(type >= 4 ? 1 : 0);
    const zyra_sim::Bytes channels(28, 0x21);

    useDeviceType(type);
    auto unit = attachUnit(sideOf(type));
    unit->setStorage(1, {6});
    unit->setStorage(tx ? 8 : 7, {2});
    unit->setStorage(tx ? 127 : 118, channels);
    worker->storagePending = true;
    std::vector<Step> steps{&UpdaterThread::updateAPPFW, &UpdaterThread::updateMACFW, &UpdaterThread::updateStorage};
    if (hasVideoModule)
        steps.insert(steps.begin(), &UpdaterThread::updateZYRA);
    else
        ASSERT_EQ(vx_zyra_connect(&handle), 0) << "detection leaves these units connected";

    runChain(steps);

    QStringList expected{"finished", "finished", "finished", "progress 1500"};
    if (hasVideoModule)
        expected = QStringList{"progress 1000", "progress 1000", "progress 1000", "finished"} + expected;
    EXPECT_EQ(log.milestones(), expected);
    EXPECT_EQ(unit->appVersion(), package.applicationVersion);
    EXPECT_EQ(unit->macRegion(), samplepackage::macRegion(package, sideOf(type)));
    EXPECT_EQ(unit->storage(20), zyra_sim::Bytes{uint8_t(tx ? 1 : 2)}) << "storage.ini applied";
    EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{6}) << "the user's region survives the restore";
    if (type >= 4) {
        EXPECT_EQ(unit->storage(tx ? 8 : 7), zyra_sim::Bytes{2});
        EXPECT_EQ(unit->storage(tx ? 127 : 118), channels);
    }
    if (hasVideoModule) {
        const std::vector<uint8_t> flash = xmega().flash();
        EXPECT_EQ(std::string(flash.begin() + samplepackage::xmegaVersionAddress, flash.begin() + 0x1DE06),
                  "FWv" + package.xmegaVersion);
        EXPECT_EQ(xmega().eeprom()[1], 2);
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceTypes, FullUpdate, testing::Range(0, 6));

}  // namespace
