// Several units on one bus: listing them by port path, opening one by its
// port, and every restart of a run coming back to that unit, never to the
// other one listed first.
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr int64_t kNeverBackMs = 60LL * 60 * 1000;
constexpr const char *kChosenPort = "1-2.1";
constexpr const char *kOtherPort = "1-1.1";

std::array<uint8_t, 64> serialOf(char first)
{
    std::array<uint8_t, 64> serial{};
    std::memset(serial.data(), first, 12);
    return serial;
}

std::string portOf(const vx_zyra_t &h)
{
    char path[VX_ZYRA_PORT_PATH_SIZE] = {};
    return vx_zyra_port_path(&h, path) == 0 ? path : "";
}

uint8_t addressOf(const vx_zyra_t &h)
{
    return libusb_get_device_address(libusb_get_device(h.devh));
}

// The chosen unit behind hub 1-2, the other behind hub 1-1: first on the bus.
class TwoUnits : public UnitTest
{
protected:
    void SetUp() override
    {
        zyra_sim::Bus::instance().reset();
        unit = std::make_shared<zyra_sim::VirtualUnit>(VX_ZYRA_TX);
        other = std::make_shared<zyra_sim::VirtualUnit>(VX_ZYRA_RX);
        unit->setBoardSerial(serialOf('C'));
        other->setBoardSerial(serialOf('O'));
        other->setStorage(0x0101, {0x42});
        bus().attach(unit, "1-2");
        bus().attachAnother(other, "1-1");
        ASSERT_EQ(vx_zyra_connect_port(&h, kChosenPort), 0) << h.error_msg;
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
        ASSERT_EQ(vx_zyra_board_serial(&h), 0);
    }

    // Nothing reached the other unit: no frame, no restart, its storage as set.
    void expectOtherUntouched() const
    {
        EXPECT_TRUE(other->frames().empty()) << other->frames().size() << " frames reached the other unit";
        EXPECT_EQ(other->restartCount(), 0);
        EXPECT_EQ(other->storage(0x0101), Bytes{0x42});
        EXPECT_EQ(other->flashedImage(), zyra_sim::Firmware::Application);
    }

    std::shared_ptr<zyra_sim::VirtualUnit> other;
};

TEST_F(TwoUnits, AreListedByPortPathAndOpenedByIt)
{
    char paths[3][VX_ZYRA_PORT_PATH_SIZE] = {};
    ASSERT_EQ(vx_zyra_list_units(paths, 3), 2);
    EXPECT_STREQ(paths[0], kOtherPort);
    EXPECT_STREQ(paths[1], kChosenPort);
    EXPECT_EQ(vx_zyra_list_units(nullptr, 0), 2) << "the count alone";
    EXPECT_EQ(portOf(h), kChosenPort);
    EXPECT_EQ(h.side, VX_ZYRA_TX);

    vx_zyra_t first{};
    ASSERT_EQ(vx_zyra_connect(&first), 0) << "connect keeps its first unit on the bus";
    EXPECT_EQ(portOf(first), kOtherPort);
    vx_zyra_disconnect(&first);

    vx_zyra_t none{};
    expectFailure(none, vx_zyra_connect_port(&none, "1-3.1"), 2, "Failed to connect to ZYRA device");

    int busNumber = 0, address = 0;
    ASSERT_EQ(vx_zyra_usb_address(kChosenPort, &busNumber, &address), 0);
    EXPECT_EQ(busNumber, 1);
    EXPECT_EQ(address, addressOf(h));
    EXPECT_EQ(vx_zyra_list_video_modules(paths, 3), 0) << "no module waits in its bootloader";
    EXPECT_EQ(vx_zyra_usb_address("1-3.1", &busNumber, &address), 1) << "nothing there";
    EXPECT_EQ(vx_zyra_usb_address(nullptr, &busNumber, &address), 1);
    EXPECT_EQ(bus().initCount(), bus().exitCount() + 1) << "only h's session is left";
}

// The other unit's video module enters its bootloader, twice: listed at its
// hub's port 2, at a new address each time, while the chosen unit stays.
TEST_F(TwoUnits, VideoModulesInTheirBootloadersAreListedWithTheirAddresses)
{
    const std::string state =
        ::testing::TempDir() + "zyra_bench_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(state + "/1-1");
    bus().setStateDir(state);
    std::vector<int> addresses;
    for (const char *mode : {"dfu 2", "running 3", "dfu 3"}) {
        std::ofstream(state + "/1-1/xmega.mode") << mode << "\n";
        char paths[2][VX_ZYRA_PORT_PATH_SIZE] = {};
        int busNumber = 0, address = 0;
        if (mode[0] == 'r') {
            EXPECT_EQ(vx_zyra_list_video_modules(paths, 2), 0);
            EXPECT_EQ(vx_zyra_usb_address("1-1.2", &busNumber, &address), 1) << "the module left its bootloader";
            continue;
        }
        ASSERT_EQ(vx_zyra_list_video_modules(paths, 2), 1) << mode;
        EXPECT_STREQ(paths[0], "1-1.2");
        EXPECT_EQ(vx_zyra_list_units(paths, 2), 1) << "the other's radio is off while its module waits";
        EXPECT_STREQ(paths[0], kChosenPort);
        ASSERT_EQ(vx_zyra_usb_address("1-1.2", &busNumber, &address), 0);
        EXPECT_EQ(busNumber, 1);
        EXPECT_NE(address, addressOf(h));
        addresses.push_back(address);
    }
    EXPECT_NE(addresses.front(), addresses.back()) << "a new address after a stay in the application";
    EXPECT_EQ(portOf(h), kChosenPort);
    std::filesystem::remove_all(state);
}

struct RunRow {
    const char *name;
    std::function<void(zyra_sim::VirtualUnit &chosen)> before;
    std::function<int(vx_zyra_t *)> run;
    int result;
    uint8_t error;  // when the run fails
    int restarts;   // of the chosen unit
};

void PrintTo(const RunRow &row, std::ostream *out)
{
    *out << row.name;
}

class RunOnTheChosenUnit : public TwoUnits, public ::testing::WithParamInterface<RunRow>
{
};

TEST_P(RunOnTheChosenUnit, NeverMovesToTheOtherUnit)
{
    const RunRow &row = GetParam();
    const uint8_t addressBefore = addressOf(h);
    if (row.before)
        row.before(*unit);
    const int rc = row.run(&h);
    EXPECT_EQ(rc, row.result) << h.error_msg;
    EXPECT_EQ(unit->restartCount(), row.restarts);
    if (row.result == 0) {
        EXPECT_EQ(portOf(h), kChosenPort) << "back at its port";
        EXPECT_NE(addressOf(h), addressBefore) << "with a new address";
        EXPECT_EQ(h.side, VX_ZYRA_TX);
    } else {
        EXPECT_EQ(h.error, row.error) << h.error_msg;
        EXPECT_EQ(h.devh, nullptr) << "nothing more can reach any unit";
        EXPECT_EQ(bus().openHandles(), 0);
    }
    expectOtherUntouched();
}

// Into the bootloader and back, as an application update goes.
int intoTheBootloaderAndBack(vx_zyra_t *h)
{
    return vx_zyra_bootloader_restart(h) != 0 ? 1 : vx_zyra_system_restart(h);
}

// A whole application update: into the bootloader, erase, one data record,
// back into the application.
int wholeApplicationUpdate(vx_zyra_t *h)
{
    const std::string image = ":020000040800F2\n:105C0000020705A3A4A5A6A7A8A9AAABACADAEAFF1\n:00000001FF\n";
    return vx_zyra_update_app_array(h, reinterpret_cast<const uint8_t *>(image.data()),
                                    static_cast<uint32_t>(image.size()), nullptr, nullptr);
}

const RunRow kRuns[] = {
    {"SystemRestart", nullptr, vx_zyra_system_restart, 0, 0, 1},
    {"BootloaderRestart", nullptr, vx_zyra_bootloader_restart, 0, 0, 1},
    {"IntoTheBootloaderAndBack", nullptr, intoTheBootloaderAndBack, 0, 0, 2},
    {"WholeApplicationUpdate", nullptr, wholeApplicationUpdate, 0, 0, 2},
    {"AnotherSerialAtThePort", [](zyra_sim::VirtualUnit &u) { u.setBoardSerial(serialOf('X')); },
     vx_zyra_system_restart, 1, VX_ZYRA_SESSION_OTHER_UNIT, 1},
    {"UnpluggedMidRun", [](zyra_sim::VirtualUnit &u) { u.setRestartTimeMs(kNeverBackMs); }, intoTheBootloaderAndBack, 1,
     VX_ZYRA_SESSION_NOT_FOUND, 1},
};

INSTANTIATE_TEST_SUITE_P(TwoUnits, RunOnTheChosenUnit, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunRow> &row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zyra_test
