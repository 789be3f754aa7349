// The bus around the unit: the default unit of a preloaded drop-in, and the
// video module's state deciding when the radio unit is on the bus.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "usb_host.h"

namespace zyra_sim::test {
namespace {

class DefaultUnit : public ::testing::Test
{
protected:
    void SetUp() override { Bus::instance().reset(); }
    void TearDown() override
    {
        unsetenv("ZYRA_SIM_SIDE");
        Bus::instance().reset();
    }
};

TEST_F(DefaultUnit, SideVariableAttachesAUnitAtInit)
{
    setenv("ZYRA_SIM_SIDE", "rx", 1);
    ASSERT_EQ(libusb_init(nullptr), 0);
    ASSERT_NE(Bus::instance().unit(), nullptr);
    EXPECT_EQ(Bus::instance().unit()->side(), 2);
    libusb_exit(nullptr);
}

TEST_F(DefaultUnit, NothingIsAttachedWithoutTheVariable)
{
    ASSERT_EQ(libusb_init(nullptr), 0);
    EXPECT_EQ(Bus::instance().unit(), nullptr);
    libusb_exit(nullptr);
}

TEST_F(DefaultUnit, UnitAttachedByCodeIsKept)
{
    setenv("ZYRA_SIM_SIDE", "2", 1);
    auto unit = std::make_shared<VirtualUnit>(1);
    Bus::instance().attach(unit);
    Bus::instance().detach();
    ASSERT_EQ(libusb_init(nullptr), 0);
    EXPECT_EQ(Bus::instance().unit(), nullptr) << "a test that detached its unit means no unit";
    libusb_exit(nullptr);
}

class VideoModuleGate : public SimTest
{
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("zyra_sim_state_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        bus().setStateDir(dir.string());
    }
    void TearDown() override
    {
        SimTest::TearDown();
        std::filesystem::remove_all(dir);
    }
    void setMode(const char *mode) { std::ofstream(dir / "xmega.mode") << mode << "\n"; }
    bool opens()
    {
        libusb_device_handle *handle =
            libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
        if (handle)
            libusb_close(handle);
        return handle != nullptr;
    }

    std::filesystem::path dir;
};

TEST_F(VideoModuleGate, WithoutModeFileTheUnitIsThere)
{
    EXPECT_TRUE(opens());
}

TEST_F(VideoModuleGate, UnitIsAwayWhileTheModuleIsInDfu)
{
    setMode("dfu");
    EXPECT_FALSE(opens());
    clock().advanceMs(60000);
    EXPECT_FALSE(opens());
}

TEST_F(VideoModuleGate, UnitAppearsOnlyAfterTheDelayFromFirstSeenRunning)
{
    bus().setRadioDelayAfterStartMs(3000);
    setMode("dfu");
    EXPECT_FALSE(opens());
    clock().advanceMs(10000);
    setMode("running");
    EXPECT_FALSE(opens()) << "the module was just seen running";
    clock().advanceMs(2999);
    EXPECT_FALSE(opens());
    clock().advanceMs(1);
    EXPECT_TRUE(opens());
}

TEST_F(VideoModuleGate, ModuleGoingBackToDfuTakesTheUnitAlong)
{
    setMode("running");
    EXPECT_FALSE(opens());
    clock().advanceMs(2000);
    ASSERT_TRUE(opens());
    setMode("dfu");
    EXPECT_FALSE(opens());
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE) << "handles opened before are stale";
    setMode("running");
    EXPECT_FALSE(opens()) << "the delay starts again";
}

}  // namespace
}  // namespace zyra_sim::test
