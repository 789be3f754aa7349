// A unit made from the environment keeps its storage cells in the state
// directory: each "process" here is a reset bus whose libusb_init makes the
// unit afresh from that directory.
#include <filesystem>
#include <fstream>

#include "usb_host.h"

namespace zyra_sim::test {
namespace {

const Bytes regionCell{0x01, 0x00};
const Bytes rxModeCell{0x07, 0x00};

class StorageFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("zyra_sim_storage_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        host.disconnect();
        Bus::instance().reset();
        std::filesystem::remove_all(dir);
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

TEST_F(StorageFile, SettingsOutliveTheProcessAndRestoreReturnsToTheFactoryValues)
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

TEST_F(StorageFile, LinesThatAreNoCellAndOversizedFilesAreIgnored)
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

}  // namespace
}  // namespace zyra_sim::test
