// The units the libusb drop-in makes from the state directory: unit.side
// chooses the attached one, as the demo has a person swap them, and each
// side's storage file keeps its cells from one process to the next (a
// "process" here is a reset bus whose libusb_init makes the unit afresh).
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "usb_host.h"

namespace zyra_sim::test {
namespace {

const Bytes regionCell{0x01, 0x00};
const Bytes rxModeCell{0x07, 0x00};

// A state directory of the test's own, from which libusb_init makes the units.
class StateDir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Bus::instance().reset();
        dir = std::filesystem::temp_directory_path() /
              ("zyra_sim_state_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        Bus::instance().setStateDir(dir.string());
    }
    void TearDown() override
    {
        host.disconnect();
        unsetenv("ZYRA_SIM_SIDE");
        unsetenv("ZYRA_SIM_UNITS");
        Bus::instance().reset();
        std::filesystem::remove_all(dir);
    }
    std::shared_ptr<VirtualUnit> attachedAfterInit(const char *side)
    {
        std::ofstream(dir / "unit.side") << side << "\n";
        EXPECT_EQ(libusb_init(nullptr), 0);
        libusb_exit(nullptr);
        return Bus::instance().unit();
    }
    // The next process, with the unit of that side plugged in.
    void nextProcess(const char *side)
    {
        host.disconnect();
        Bus::instance().reset();
        Bus::instance().setStateDir(dir.string());
        std::ofstream(dir / "unit.side") << side << "\n";
        ASSERT_NE(host.connect(), nullptr);
    }

    std::filesystem::path dir;
    UsbHost host;
};

TEST_F(StateDir, EachSideKeepsItsOwnUnitAcrossSwaps)
{
    auto tx = attachedAfterInit("tx");
    ASSERT_NE(tx, nullptr);
    EXPECT_EQ(tx->side(), 1);
    tx->setStorage(8, {2});
    auto rx = attachedAfterInit("rx");
    ASSERT_NE(rx, nullptr);
    EXPECT_EQ(rx->side(), 2);
    EXPECT_EQ(attachedAfterInit("tx"), tx) << "the transmitter comes back with what was stored in it";
    EXPECT_EQ(tx->storage(8), Bytes{2});
    EXPECT_EQ(attachedAfterInit("2"), rx);
}

TEST_F(StateDir, TheUnitOfTheSideVariableIsItsSidesUnit)
{
    setenv("ZYRA_SIM_SIDE", "rx", 1);
    ASSERT_EQ(libusb_init(nullptr), 0);
    libusb_exit(nullptr);
    auto first = Bus::instance().unit();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(attachedAfterInit("tx")->side(), 1) << "the file wins over the variable";
    EXPECT_EQ(attachedAfterInit("rx"), first);
}

TEST_F(StateDir, AUnitAttachedByCodeStays)
{
    auto unit = std::make_shared<VirtualUnit>(1);
    Bus::instance().attach(unit);
    EXPECT_EQ(attachedAfterInit("rx"), unit);
}

TEST_F(StateDir, SettingsOutliveTheProcessAndRestoreReturnsToTheFactoryValues)
{
    nextProcess("rx");
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x01, 0x00, 0x06}));
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x07, 0x00, 0x05}));
    nextProcess("tx");
    EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), Bytes{4}) << "each side has its own storage";
    nextProcess("rx");
    EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), Bytes{6});
    EXPECT_EQ(host.ask(wire::STORAGE_GET, rxModeCell), Bytes{5});
    ASSERT_TRUE(host.ask(wire::STORAGE_RESTORE));
    nextProcess("rx");
    EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), Bytes{4});
    EXPECT_EQ(host.ask(wire::STORAGE_GET, rxModeCell), Bytes{4});
    EXPECT_FALSE(std::filesystem::exists(dir / "unit-rx.storage.tmp"));
}

TEST_F(StateDir, LinesThatAreNoCellAndOversizedFilesAreIgnored)
{
    struct Row {
        const char *name;
        std::string content;
        Bytes region;
        Bytes rxMode;
    };
    const Row rows[] = {
        {"cells over defaults", "0001 06\n0007 05\n", {6}, {5}},
        {"odd digits, no hex, long id, extra word, over 253 bytes",
         "0001 6\n0007 zz\n00001 05\n0007 05 05\n0001 " + std::string(2 * 254, '0') + "\n",
         {4},
         {4}},
        {"binary junk around a good line", std::string("\xff\x00\x01\n0007 05\n\x80\x80", 14), {4}, {5}},
        {"empty value", "0001\n", {}, {4}},
        {"over 1 MiB", "0001 06\n" + std::string(1 << 20, '#'), {4}, {4}},
    };
    for (const Row &row : rows) {
        std::ofstream(dir / "unit-rx.storage", std::ios::binary) << row.content;
        nextProcess("rx");
        EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), row.region) << row.name;
        EXPECT_EQ(host.ask(wire::STORAGE_GET, rxModeCell), row.rxMode) << row.name;
    }
}

// ZYRA_SIM_UNITS: a bench of units in hub order, each keeping its storage
// in its own folder, made for it.
TEST_F(StateDir, ABenchOfTheVariableKeepsEachUnitInAFolderOfItsOwn)
{
    setenv("ZYRA_SIM_UNITS", "rx,tx@2.0.5", 1);
    nextProcess("tx");
    EXPECT_EQ(listedPorts(), (std::vector<std::string>{"1-1.1 22ca:1111", "1-2.1 22ca:1111"}));
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x01, 0x00, 0x06}));
    const Bytes serialStart{'Z', 'Y', 'R', 'A', '-', 'V', 'U', '-', 'S', 'E',
                            'R', 'I', 'A', 'L', '-', '1', '-', '1', 0};
    EXPECT_EQ(host.ask(wire::MAC_REG_READ, {0x30, 0x00, 0x13, 0x00}), serialStart) << "a serial of its own";
    nextProcess("tx");
    EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), Bytes{6}) << "the first unit of the bench, not unit.side";
    EXPECT_TRUE(std::filesystem::exists(dir / "1-1" / "unit-rx.storage"));
    std::ofstream(dir / "1-1" / "unit-rx.storage") << "0001 05\n";  // another process's setting
    host.disconnect();
    ASSERT_NE(host.connect(), nullptr);
    EXPECT_EQ(host.ask(wire::STORAGE_GET, regionCell), Bytes{5}) << "read again at the next libusb_init";
    EXPECT_TRUE(std::filesystem::is_directory(dir / "1-2"));
    EXPECT_FALSE(std::filesystem::exists(dir / "unit-rx.storage"));
    EXPECT_FALSE(std::filesystem::exists(dir / "unit-tx.storage"));
}

}  // namespace
}  // namespace zyra_sim::test
