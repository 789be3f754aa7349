// The bus around the unit: the default unit of a preloaded drop-in, and the
// video module's state deciding when the radio unit or the module's
// bootloader is on the bus.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
        unsetenv("ZYRA_SIM_NO_ACCESS");
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

TEST_F(DefaultUnit, NoAccessVariableKeepsTheUnitShut)
{
    setenv("ZYRA_SIM_SIDE", "rx", 1);
    setenv("ZYRA_SIM_NO_ACCESS", "1", 1);
    ASSERT_EQ(libusb_init(nullptr), 0);
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    libusb_exit(nullptr);
}

// Each device of a fresh list as "vendor:product" and what libusb_open
// answered, a handle opened closed again.
std::vector<std::string> listAndOpen()
{
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(nullptr, &list);
    EXPECT_GE(count, 0);
    std::vector<std::string> devices;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        EXPECT_EQ(libusb_get_device_descriptor(list[i], &descriptor), 0);
        libusb_device_handle *handle = nullptr;
        const int result = libusb_open(list[i], &handle);
        if (result == 0)
            libusb_close(handle);
        char text[32];
        std::snprintf(text, sizeof text, "%04x:%04x %d", descriptor.idVendor, descriptor.idProduct, result);
        devices.push_back(text);
    }
    EXPECT_EQ(count >= 0 ? list[count] : nullptr, nullptr) << "the list ends in a null";
    libusb_free_device_list(list, 1);
    return devices;
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

TEST_F(VideoModuleGate, TheDeviceListShowsWhatAnOpenFindsAndRefusesWithoutAccess)
{
    const std::string unitOpens = "22ca:1111 0";
    const std::string unitRefuses = "22ca:1111 " + std::to_string(LIBUSB_ERROR_ACCESS);
    const std::string bootloaderRefuses = "03eb:2fde " + std::to_string(LIBUSB_ERROR_ACCESS);
    const std::string bootloaderUnsupported = "03eb:2fde " + std::to_string(LIBUSB_ERROR_NOT_SUPPORTED);
    struct Row {
        const char *mode;  // nullptr: no mode file
        int64_t afterMs;
        bool accessRefused;
        std::vector<std::string> listed;
    };
    for (const Row &row : std::vector<Row>{
             {nullptr, 0, false, {unitOpens}},
             {nullptr, 0, true, {unitRefuses}},
             {"dfu", 0, false, {bootloaderUnsupported}},
             {"dfu", 0, true, {bootloaderRefuses}},
             {"running", 0, true, {}},
             {"running", 2000, true, {unitRefuses}},
         }) {
        if (row.mode)
            setMode(row.mode);
        clock().advanceMs(row.afterMs);
        bus().setAccessRefused(row.accessRefused);
        const int attemptsBefore = bus().openAttempts();
        EXPECT_EQ(listAndOpen(), row.listed) << (row.mode ? row.mode : "no mode file") << " +" << row.afterMs;
        EXPECT_EQ(bus().openAttempts() - attemptsBefore, static_cast<int>(row.listed.size()))
            << "only libusb_open counts as an attempt";
        EXPECT_EQ(opens(), !row.accessRefused && row.listed == std::vector<std::string>{unitOpens});
    }
}

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

// The radio is powered by the video module: a module that stopped, or
// restarted while nobody looked, ends a radio update the host abandoned.
TEST_F(VideoModuleGate, ModuleStopOrRestartEndsTheRadiosPull)
{
    Bytes start(29, 0);
    start[0] = 0x01;
    for (const char *next : {"dfu 1", "running 2"}) {
        SCOPED_TRACE(next);
        host.disconnect();
        setMode("running 1");
        EXPECT_EQ(host.connect(), nullptr) << "first seen running";
        clock().advanceMs(2000);
        ASSERT_NE(host.connect(), nullptr);
        ASSERT_EQ(host.sendFrame(wire::UPDATE_MAC_START, start), 0);
        ASSERT_EQ(unit->macUpdate(), MacUpdate::PullingDaemonHeader);
        const int abandoned = unit->abandonedMacPulls();
        setMode(next);
        EXPECT_FALSE(opens()) << "the radio starts again";
        EXPECT_EQ(unit->macUpdate(), MacUpdate::Idle);
        EXPECT_EQ(unit->abandonedMacPulls(), abandoned + 1);
    }
}

// The default unit keeps its module in the state folder itself, another unit
// in the folder named after its hub: neither module takes the other's radio.
TEST_F(VideoModuleGate, EachUnitHasAVideoModuleOfItsOwn)
{
    std::filesystem::create_directories(dir / "1-2");
    bus().attachAnother(std::make_shared<VirtualUnit>(2), "1-2");
    const auto setOtherMode = [this](const char *mode) { std::ofstream(dir / "1-2" / "xmega.mode") << mode << "\n"; };
    const std::string radio1 = "1-1.1 22ca:1111", module1 = "1-1.2 03eb:2fde";
    const std::string radio2 = "1-2.1 22ca:1111", module2 = "1-2.2 03eb:2fde";
    struct Row {
        const char *mode;
        const char *otherMode;
        std::vector<std::string> listed;
    };
    std::vector<int> lastAddresses;
    for (const Row &row : std::vector<Row>{
             {nullptr, nullptr, {radio1, radio2}},
             {"dfu 3", nullptr, {module1, radio2}},
             {"dfu 3", "dfu 0", {module1, module2}},
             {"running 4", "dfu 0", {module2}},
             {"dfu 4", "dfu 0", {module1, module2}},
         }) {
        if (row.mode)
            setMode(row.mode);
        if (row.otherMode)
            setOtherMode(row.otherMode);
        std::vector<int> addresses;
        EXPECT_EQ(listedPorts(&addresses), row.listed)
            << (row.mode ? row.mode : "") << " / " << (row.otherMode ? row.otherMode : "");
        if (row.listed == std::vector<std::string>{module1, module2}) {
            EXPECT_NE(addresses[0], addresses[1]);
            if (!lastAddresses.empty()) {
                EXPECT_NE(addresses[0], lastAddresses[0]) << "back in its bootloader at a new address";
                EXPECT_EQ(addresses[1], lastAddresses[1]) << "the other module stayed";
            }
            lastAddresses = addresses;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "unit.hub")) << "the default hub needs no note";
}

class BusAddresses : public SimTest
{
};

// Addresses are handed out in turn and wrap; a unit back at its port when
// the turn has come round to its old address still gets a new one.
TEST_F(BusAddresses, AUnitBackAtItsPortNeverKeepsItsAddress)
{
    auto other = std::make_shared<VirtualUnit>(2);
    bus().attachAnother(other, "1-2");
    std::vector<int> addresses;
    listedPorts(&addresses);
    ASSERT_EQ(addresses.size(), 2u);
    const int unitAddress = addresses[0];
    const int turnBefore = unitAddress == 2 ? 31 : unitAddress - 1;
    for (int turn = 0; turn < 40 && addresses[1] != turnBefore; ++turn) {
        other->dropOffBus(0);
        addresses.clear();
        listedPorts(&addresses);
    }
    ASSERT_EQ(addresses[1], turnBefore) << "the turn came round";
    unit->dropOffBus(0);
    addresses.clear();
    listedPorts(&addresses);
    EXPECT_NE(addresses[0], unitAddress);
}

}  // namespace
}  // namespace zyra_sim::test
