// The application update end to end against the virtual unit: the hand-over
// to the bootloader, the boot agent for old bootloaders, progress, the
// flashed result, and every failure of the step list with its message and code.
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include "firmware_test_support.h"
#include "intelhex.h"
#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr int64_t kNeverBackMs = 60LL * 60 * 1000;
constexpr uint32_t kVersionRecord = 0x08005C00;

std::string hexRecord(uint8_t type, uint16_t address, const Bytes &data)
{
    std::string line;
    intelhex::appendRecord(&line, type, address, data.data(), data.size());
    return line;
}

Bytes sixteenFrom(uint8_t first)
{
    Bytes data;
    for (uint8_t i = 0; i < 16; ++i)
        data.push_back(static_cast<uint8_t>(first + i));
    return data;
}

// 64 bytes at the version record carrying version 2.7.5: an address record,
// four 16-byte data records and the end record, 204 characters in all.
Bytes smallImageData()
{
    Bytes data = {2, 7, 5};
    for (uint8_t i = 3; i < 64; ++i)
        data.push_back(static_cast<uint8_t>(0xA0 + i));
    return data;
}

std::string smallImage()
{
    const Bytes data = smallImageData();
    std::string text = hexRecord(0x04, 0, {0x08, 0x00});
    for (size_t i = 0; i < 4; ++i)
        text += hexRecord(0x00, static_cast<uint16_t>(0x5C00 + 16 * i),
                          Bytes(data.begin() + 16 * i, data.begin() + 16 * (i + 1)));
    return text + hexRecord(0x01, 0, {});
}

// Percentages after each line of the small image: line ends at 16, 60, 104,
// 148 and 192 of 204 characters, times 40, plus 40; none after the end record.
const std::vector<Report> kSmallImagePercents = {
    {"percent", 43}, {"percent", 51}, {"percent", 60}, {"percent", 69}, {"percent", 77}};

class AppUpdate : public UnitTest
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        std::memset(vx_zyra_app_buf, 0, sizeof vx_zyra_app_buf);
        clearOutFaults();
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
        unit->clearFrames();
    }

    void TearDown() override
    {
        clearOutFaults();
        UnitTest::TearDown();
    }

    int update(const std::string &image)
    {
        return vx_zyra_update_app_array(&h, reinterpret_cast<const uint8_t *>(image.data()),
                                        static_cast<uint32_t>(image.size()), ProgressLog::callback, &log);
    }

    void expectFailure(int rc, uint8_t errorCode, const char *message)
    {
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(h.error, errorCode);
        EXPECT_STREQ(h.error_msg, message);
    }

    static std::vector<Report> concat(std::initializer_list<std::vector<Report>> parts)
    {
        std::vector<Report> all;
        for (const auto &part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    // The unit answers GET_SIDE normally `normalAnswers` times, then with side 0.
    void loseSideAfter(int normalAnswers)
    {
        auto seen = std::make_shared<int>(0);
        unit->onCommand(wire::GET_SIDE,
                        [seen, normalAnswers](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &f) {
                            if ((*seen)++ < normalAnswers)
                                u.handleNormally(f);
                            else
                                u.respond(f.code, {0});
                        });
    }

    // Commands of this code from number `occurrence` (from 0) on go unanswered.
    void silenceFrom(uint8_t commandCode, int occurrence)
    {
        auto seen = std::make_shared<int>(0);
        unit->onCommand(commandCode, [seen, occurrence](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &f) {
            if ((*seen)++ < occurrence)
                u.handleNormally(f);
        });
    }

    ProgressLog log;
};

using AppUpdateFlow = AppUpdate;

TEST_F(AppUpdateFlow, FromTheRunningApplicationWithoutAgentReportsEveryStep)
{
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(log.reports(), concat({{{"firmware upgrade start", 1}, {"starting bootloader", 10}, {"APP erased", 20}},
                                     kSmallImagePercents,
                                     {{"restarting; waiting for device to appear", 85}, {"complete", 100}}}));
}

TEST_F(AppUpdateFlow, WithTheBootloaderAlreadyRunningSkipsTheHandOver)
{
    unit->setRunning(zyra_sim::Firmware::Bootloader);
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_TRUE(unit->framesWithCode(wire::EXEC_BOOTLOADER).empty());
    EXPECT_EQ(log.reports(), concat({{{"firmware upgrade start", 1}, {"APP erased", 20}},
                                     kSmallImagePercents,
                                     {{"restarting; waiting for device to appear", 85}, {"complete", 100}}}));
}

TEST_F(AppUpdateFlow, WithAnOldBootloaderTheAgentGoesFirst)
{
    unit->setBootloaderVersion(2, 0, 5);
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(log.reports(), concat({{{"firmware upgrade start", 1}, {"starting bootloader", 10}, {"APP erased", 20}},
                                     percentRun(21, 29),
                                     {{"restarting; waiting for device to appear", 35}, {"APP erased", 40}},
                                     kSmallImagePercents,
                                     {{"restarting; waiting for device to appear", 85}, {"complete", 100}}}));
    EXPECT_EQ(unit->eraseCount(), 2);
    EXPECT_EQ(unit->dataBlocksWritten(), 272 + 4);
}

TEST_F(AppUpdateFlow, FlashesTheImageAndReconnectsToTheNewApplication)
{
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(unit->flash(kVersionRecord, 64), smallImageData());
    EXPECT_EQ(unit->flashBytesWritten(), 64u);
    EXPECT_EQ(unit->running(), zyra_sim::Firmware::Application);
    EXPECT_EQ(h.version.app.major, 2);
    EXPECT_EQ(h.version.app.minor, 7);
    EXPECT_EQ(h.version.app.debug, 5);
    EXPECT_EQ(unit->rejectedDataBlocks(), 0);
}

TEST_F(AppUpdateFlow, ReceiverGetsTheReceiverAgent)
{
    unit->setSide(VX_ZYRA_RX);
    ASSERT_EQ(vx_zyra_get_info(&h), 0);
    unit->setBootloaderVersion(1, 9, 9);
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(unit->dataBlocksWritten(), 244 + 4);
    EXPECT_EQ(h.version.app.major, 2);
}

TEST_F(AppUpdateFlow, ImageWithoutEndRecordIsSentToItsEndAndCompleted)
{
    std::string image = smallImage();
    image.erase(image.rfind(':'));
    ASSERT_EQ(update(image), 0) << h.error_msg;
    EXPECT_EQ(unit->flash(kVersionRecord, 64), smallImageData());
    EXPECT_EQ(log.percents("percent").back(), 80) << "the last line feed is the end of the image";
}

TEST_F(AppUpdateFlow, LastLineWithoutLineFeedEndsTheImage)
{
    std::string image = smallImage();
    image.pop_back();
    ASSERT_EQ(update(image), 0) << h.error_msg;
    EXPECT_EQ(unit->flash(kVersionRecord, 64), smallImageData());
}

TEST_F(AppUpdateFlow, RecordsAfterTheEndRecordAreNotSent)
{
    ASSERT_EQ(update(smallImage() + hexRecord(0x00, 0x6000, sixteenFrom(0))), 0) << h.error_msg;
    EXPECT_EQ(unit->dataBlocksWritten(), 4);
}

TEST_F(AppUpdateFlow, AckThatEndsByItsDeadlineCountsAsAcknowledged)
{
    unit->withholdRecordFrom(wire::FW_DATA_BLOCK, 0);
    unit->setIdleNoise(300);
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(unit->dataBlocksWritten(), 4);
}

struct BootloaderCase {
    const char *name;
    Bytes answer;  // BL_GET_CONFIG payload
    bool agent;
};

void PrintTo(const BootloaderCase &c, std::ostream *out)
{
    *out << c.name;
}

class BootloaderVersions : public AppUpdate, public ::testing::WithParamInterface<BootloaderCase>
{
};

TEST_P(BootloaderVersions, AgentOnlyUpTo205)
{
    const BootloaderCase &c = GetParam();
    // The unit's own idea of old and new follows the agent decision, so a
    // wrong decision shows as a failed update, not only as a count.
    if (c.agent)
        unit->setBootloaderVersion(2, 0, 5);
    else
        unit->setBootloaderVersion(2, 1, 0);
    const Bytes answer = c.answer;
    unit->onCommand(wire::BL_GET_CONFIG, [answer](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &f) {
        u.respond(f.code, answer);
    });
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(unit->eraseCount(), c.agent ? 2 : 1);
    EXPECT_EQ(unit->dataBlocksWritten(), c.agent ? 276 : 4);
    EXPECT_EQ(log.percents("APP erased"), (c.agent ? std::vector<int>{20, 40} : std::vector<int>{20}));
}

INSTANTIATE_TEST_SUITE_P(
    AppUpdate, BootloaderVersions,
    ::testing::Values(BootloaderCase{"v2_0_5", {2, 0, 5}, true}, BootloaderCase{"v1_9_9", {1, 9, 9}, true},
                      BootloaderCase{"v2_0_0", {2, 0, 0}, true}, BootloaderCase{"v0_0_0", {0, 0, 0}, true},
                      BootloaderCase{"twoByteAnswer", {2, 1}, true}, BootloaderCase{"emptyAnswer", {}, true},
                      BootloaderCase{"v2_0_6", {2, 0, 6}, false}, BootloaderCase{"v2_1_0", {2, 1, 0}, false},
                      BootloaderCase{"v3_0_0", {3, 0, 0}, false},
                      BootloaderCase{"v2_0_6_withMore", {2, 0, 6, 0}, false}),
    [](const ::testing::TestParamInfo<BootloaderCase> &row) { return std::string(row.param.name); });

struct IsBootloaderCase {
    const char *name;
    Bytes answer;
    bool applicationRunning;
};

void PrintTo(const IsBootloaderCase &c, std::ostream *out)
{
    *out << c.name;
}

class IsBootloaderAnswers : public AppUpdate, public ::testing::WithParamInterface<IsBootloaderCase>
{
};

TEST_P(IsBootloaderAnswers, DecideWhetherToHandOverFirst)
{
    const IsBootloaderCase &c = GetParam();
    if (!c.applicationRunning)
        unit->setRunning(zyra_sim::Firmware::Bootloader);
    const Bytes answer = c.answer;
    unit->onCommand(wire::IS_BOOTLDR, [answer](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &f) {
        u.respond(f.code, answer);
    });
    ASSERT_EQ(update(smallImage()), 0) << h.error_msg;
    EXPECT_EQ(unit->framesWithCode(wire::EXEC_BOOTLOADER).size(), c.applicationRunning ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    AppUpdate, IsBootloaderAnswers,
    ::testing::Values(IsBootloaderCase{"oneZeroByte", {0x00}, true}, IsBootloaderCase{"oneNonZeroByte", {0x01}, true},
                      IsBootloaderCase{"leadingZero", {0x00, 0x01}, true},
                      IsBootloaderCase{"bootloaderAnswer", {0x01, 0x00}, false}, IsBootloaderCase{"empty", {}, false}),
    [](const ::testing::TestParamInfo<IsBootloaderCase> &row) { return std::string(row.param.name); });

// One failure of the step list: how to provoke it, and what the update says.
struct FailureCase {
    const char *name;
    bool oldBootloader;
    std::function<void(AppUpdate &, zyra_sim::VirtualUnit &)> provoke;
    uint8_t code;
    const char *message;
};

void PrintTo(const FailureCase &c, std::ostream *out)
{
    *out << c.name;
}

class AppUpdateFailures : public AppUpdate, public ::testing::WithParamInterface<FailureCase>
{
public:
    using AppUpdate::loseSideAfter;
    using AppUpdate::silenceFrom;
};

TEST_P(AppUpdateFailures, StopWithTheStepsMessageAndCode)
{
    const FailureCase &c = GetParam();
    if (c.oldBootloader)
        unit->setBootloaderVersion(2, 0, 5);
    c.provoke(*this, *unit);
    expectFailure(update(smallImage()), c.code, c.message);
    for (const Report &report : log.reports())
        EXPECT_NE(report.percent, 100) << "no completion is reported";
}

FailureCase failure(const char *name, std::function<void(AppUpdate &, zyra_sim::VirtualUnit &)> provoke, uint8_t code,
                    const char *message, bool oldBootloader = false)
{
    return {name, oldBootloader, std::move(provoke), code, message};
}

auto failSend(uint8_t commandCode, int occurrence = 0)
{
    return [=](AppUpdate &, zyra_sim::VirtualUnit &) { failOutTransfer(commandFrame(commandCode), occurrence); };
}

auto silence(uint8_t commandCode, int occurrence = 0)
{
    return [=](AppUpdate &t, zyra_sim::VirtualUnit &) {
        static_cast<AppUpdateFailures &>(t).silenceFrom(commandCode, occurrence);
    };
}

INSTANTIATE_TEST_SUITE_P(
    AppUpdate, AppUpdateFailures,
    ::testing::Values(
        failure(
            "isBootldrSend", [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.dropOffBus(kNeverBackMs); }, 2,
            "Failed to send IS_BOOTLDR command"),
        failure("isBootldrReceive", silence(wire::IS_BOOTLDR), 3, "Failed to receive IS_BOOTLDR command"),
        failure("execBootloaderSend", failSend(wire::EXEC_BOOTLOADER), 4, "Failed to send EXEC_BOOTLOADER command"),
        failure("execBootloaderReceive", silence(wire::EXEC_BOOTLOADER), 5,
                "Failed to receive EXEC_BOOTLOADER command"),
        failure(
            "reconnectToBootloader", [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.setRestartTimeMs(kNeverBackMs); }, 6,
            "Failed to reconnect to bootloader"),
        failure(
            "sideInBootloader",
            [](AppUpdate &test, zyra_sim::VirtualUnit &u) {
                u.setRunning(zyra_sim::Firmware::Bootloader);
                static_cast<AppUpdateFailures &>(test).loseSideAfter(0);
            },
            1, "Failed to read info from ZYRA device"),
        failure("blGetConfigSend", failSend(wire::BL_GET_CONFIG), 6, "Failed to send BL_GET_CONFIG command"),
        failure("blGetConfigReceive", silence(wire::BL_GET_CONFIG), 7, "Failed to receive BL_GET_CONFIG command"),
        failure("startUpgradeSend", failSend(wire::START_UPGRADE), 6, "Failed to send START_UPGRADE command"),
        failure("startUpgradeReceive", silence(wire::START_UPGRADE), 7, "Failed to receive START_UPGRADE command"),
        failure(
            "eraseDone", [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::ERASE_DONE, 0); }, 8,
            "Failed to receive ERASE_DONE command"),
        failure(
            "dataBlockAck",
            [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::FW_DATA_BLOCK, kNeverBackMs); }, 9,
            "Failed to receive firmware data block ack"),
        failure("dataBlockSend", failSend(wire::FW_DATA_BLOCK, 2), 10, "Failed to send firmware data block"),
        failure("completedSend", failSend(wire::BL_FWU_COMPLETED), 11, "Failed to send BL_FWU_COMPLETED command"),
        failure("completedReceive", silence(wire::BL_FWU_COMPLETED), 12, "Failed to receive BL_FWU_COMPLETED command"),
        failure(
            "restart",
            [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::SYSTEM_RESTART, kNeverBackMs); }, 17,
            "Failed to restart ZYRA device"),
        // The boot agent stage.
        failure(
            "agentAck",
            [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::FW_DATA_BLOCK, kNeverBackMs); }, 9,
            "Failed to receive firmware data block ack", true),
        failure("agentBlockSend", failSend(wire::FW_DATA_BLOCK, 100), 10, "Failed to send firmware data block", true),
        failure("agentCompletedSend", failSend(wire::BL_FWU_COMPLETED), 11, "Failed to send BL_FWU_COMPLETED command",
                true),
        failure("agentCompletedReceive", silence(wire::BL_FWU_COMPLETED), 12,
                "Failed to receive BL_FWU_COMPLETED command", true),
        failure(
            "agentRestart",
            [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::SYSTEM_RESTART, kNeverBackMs); }, 17,
            "Failed to restart ZYRA device", true),
        failure(
            "agentSide",
            [](AppUpdate &test, zyra_sim::VirtualUnit &u) {
                u.setRunning(zyra_sim::Firmware::Bootloader);
                // Step 6, then the reconnect after the agent's restart.
                static_cast<AppUpdateFailures &>(test).loseSideAfter(2);
            },
            1, "Failed to read info from ZYRA device", true),
        failure("agentUpgradeStartSend", failSend(wire::START_UPGRADE, 1), 6, "Failed to send UPGRADE_START command",
                true),
        failure("agentUpgradeStartReceive", silence(wire::START_UPGRADE, 1), 7,
                "Failed to receive UPGRADE_START command", true),
        failure(
            "agentEraseDone", [](AppUpdate &, zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::ERASE_DONE, 1); },
            8, "Failed to receive ERASE_DONE command", true)),
    [](const ::testing::TestParamInfo<FailureCase> &row) { return std::string(row.param.name); });

using AppUpdateRecords = AppUpdate;

TEST_F(AppUpdateRecords, OverLongRecordStopsTheUpdateBeforeCompletion)
{
    std::string image = hexRecord(0x04, 0, {0x08, 0x00}) + hexRecord(0x00, 0x5C00, sixteenFrom(1)) + ":41000000" +
                        std::string(130, '0') + "\n" + hexRecord(0x01, 0, {});
    expectFailure(update(image), 10, "Failed to send firmware data block");
    EXPECT_EQ(unit->dataBlocksWritten(), 1);
    EXPECT_TRUE(unit->framesWithCode(wire::BL_FWU_COMPLETED).empty()) << "a half image is never completed";
}

TEST_F(AppUpdateRecords, SegmentAddressRecordStopsTheUpdate)
{
    expectFailure(update(hexRecord(0x02, 0, {0x10, 0x00}) + smallImage()), 10, "Failed to send firmware data block");
    EXPECT_EQ(unit->dataBlocksWritten(), 0);
}

TEST_F(AppUpdateRecords, LastLineCutShortInsideItsDataIsNotReadPastTheLength)
{
    const std::string whole = smallImage();
    const std::string lastData = hexRecord(0x00, 0x5C30, sixteenFrom(0));
    // The image ends 10 characters into the last data record's data; the
    // bytes after the length hold the rest of a valid record.
    const std::string text = whole.substr(0, whole.find(":105C30")) + lastData;
    const uint32_t length = static_cast<uint32_t>(text.size() - lastData.size() + 19);
    int rc = vx_zyra_update_app_array(&h, reinterpret_cast<const uint8_t *>(text.data()), length, nullptr, nullptr);
    expectFailure(rc, 10, "Failed to send firmware data block");
    EXPECT_EQ(unit->dataBlocksWritten(), 3);
}

TEST_F(AppUpdateRecords, BlankLineInsideTheImageStopsTheUpdate)
{
    std::string image = smallImage();
    image.insert(image.find(":105C10"), "\n");
    expectFailure(update(image), 10, "Failed to send firmware data block");
}

TEST_F(AppUpdateRecords, UpperAddressOfTheAgentStaysForAnImageWithoutItsOwn)
{
    unit->setBootloaderVersion(2, 0, 5);
    std::string image = smallImage();
    image.erase(0, image.find('\n') + 1);
    ASSERT_EQ(update(image), 0) << h.error_msg;
    EXPECT_EQ(unit->flash(kVersionRecord, 64), smallImageData());
}

class AppUpdateFile : public AppUpdate
{
protected:
    std::string tempFile(const std::string &content)
    {
        std::string pattern = ::testing::TempDir() + "zyra_app_XXXXXX";
        int fd = mkstemp(pattern.data());
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        close(fd);
        files_.push_back(pattern);
        return pattern;
    }

    void TearDown() override
    {
        for (const std::string &file : files_)
            std::remove(file.c_str());
        AppUpdate::TearDown();
    }

    void expectFileFailure(int rc, const char *report, const char *message)
    {
        expectFailure(rc, 1, message);
        EXPECT_EQ(log.reports(), (std::vector<Report>{{report, 0}}));
        EXPECT_TRUE(unit->frames().empty()) << "nothing is sent";
    }

private:
    std::vector<std::string> files_;
};

TEST_F(AppUpdateFile, FileIsReadWholeAndFlashed)
{
    const std::string file = tempFile(smallImage());
    ASSERT_EQ(vx_zyra_update_app(&h, file.c_str(), ProgressLog::callback, &log), 0) << h.error_msg;
    EXPECT_EQ(unit->flash(kVersionRecord, 64), smallImageData());
    EXPECT_EQ(log.reports().back(), (Report{"complete", 100}));
}

TEST_F(AppUpdateFile, MissingFileFailsToOpen)
{
    expectFileFailure(vx_zyra_update_app(&h, "/nonexistent/zyra/app.hex", ProgressLog::callback, &log),
                      "ERROR - could not open file", "Failed to open firmware file");
}

TEST_F(AppUpdateFile, EmptyFileFailsToRead)
{
    const std::string file = tempFile("");
    expectFileFailure(vx_zyra_update_app(&h, file.c_str(), ProgressLog::callback, &log), "ERROR - could not read file",
                      "Failed to read file");
}

TEST_F(AppUpdateFile, FileBeyondAThirtyTwoBitLengthCannotBeTaken)
{
    const std::string file = tempFile("");
    ASSERT_EQ(truncate(file.c_str(), 0x100000000LL), 0) << "a sparse file, nothing is written";
    expectFileFailure(vx_zyra_update_app(&h, file.c_str(), ProgressLog::callback, &log),
                      "ERROR - could not allocate memory", "Failed to allocate memory");
}

}  // namespace
}  // namespace zyra_test
