// The radio (MAC) update end to end against the virtual unit, which pulls
// the daemon and the region block by block at sizes the test chooses: what
// each side receives, progress, the image check, the unit's odd requests,
// and every failure with its message and code.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include "firmware_test_support.h"
#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr size_t kHeader = 33;
constexpr int64_t kNeverBackMs = 60LL * 60 * 1000;
constexpr int64_t kRxFlashGraceMs = 20000;

void putLe32(Bytes &bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes header(uint8_t tag, uint32_t dataLength)
{
    Bytes h(kHeader);
    for (size_t i = 0; i < kHeader; ++i)
        h[i] = static_cast<uint8_t>(tag + i);
    putLe32(h, 25, dataLength);
    return h;
}

// A region's data; its first four bytes become the MAC version after a restart.
Bytes regionData(uint32_t length, uint8_t seed)
{
    Bytes data(length);
    for (uint32_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(seed + 7 * i + (i >> 8));
    return data;
}

struct MacImage {
    Bytes tx, rx, daemon;
    Bytes bytes;

    MacImage(uint32_t x, uint32_t y, uint32_t d)
        : tx(regionData(x, 0x10)), rx(regionData(y, 0x40)), daemon(regionData(d, 0x70))
    {
        append(header(0xA0, x), tx);
        append(header(0xC0, y), rx);
        append(header(0xE0, d), daemon);
    }

    Bytes txHeader() const { return Bytes(bytes.begin(), bytes.begin() + kHeader); }
    Bytes rxHeader() const
    {
        return Bytes(bytes.begin() + kHeader + tx.size(), bytes.begin() + 2 * kHeader + tx.size());
    }
    Bytes daemonHeader() const
    {
        const size_t at = 2 * kHeader + tx.size() + rx.size();
        return Bytes(bytes.begin() + at, bytes.begin() + at + kHeader);
    }

private:
    void append(const Bytes &h, const Bytes &data)
    {
        bytes.insert(bytes.end(), h.begin(), h.end());
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
};

Bytes startPayload(const Bytes &regionHeader)
{
    Bytes payload = {0x01, 0x00};
    payload.insert(payload.end(), regionHeader.begin(), regionHeader.begin() + 27);
    return payload;
}

class MacUpdate : public UnitTest
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        clearOutFaults();
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
        unit->clearFrames();
        clock().clearSleeps();
    }

    void TearDown() override
    {
        clearOutFaults();
        UnitTest::TearDown();
    }

    void becomeReceiver()
    {
        unit->setSide(VX_ZYRA_RX);
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
        unit->clearFrames();
    }

    int update(const Bytes &image)
    {
        return vx_zyra_update_mac_array(&h, image.data(), static_cast<uint32_t>(image.size()), ProgressLog::callback,
                                        &log);
    }

    void expectFailure(int rc, uint8_t errorCode, const char *message)
    {
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(h.error, errorCode);
        EXPECT_STREQ(h.error_msg, message);
    }

    ProgressLog log;
};

using MacUpdateFlow = MacUpdate;

TEST_F(MacUpdateFlow, TransmitterGetsTheTxHeaderDaemonAndTxRegion)
{
    const MacImage image(300, 200, 100);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->macStartPayload(), startPayload(image.txHeader()));
    EXPECT_EQ(unit->daemonHeader(), image.daemonHeader());
    EXPECT_EQ(unit->daemonData(), image.daemon);
    EXPECT_EQ(unit->macRegion(), image.tx);
    EXPECT_EQ(unit->macOversizedBlocks(), 0);
    EXPECT_EQ(unit->restartCount(), 1);
    EXPECT_EQ((Bytes{h.version.mac.major, h.version.mac.minor, h.version.mac.debug, h.version.mac.build}),
              Bytes(image.tx.begin(), image.tx.begin() + 4))
        << "the reconnect reads the new radio firmware's version";
    EXPECT_TRUE(clock().sleeps().empty() || clock().sleeps().front() != kRxFlashGraceMs)
        << "only a receiver gets the flash grace";
}

TEST_F(MacUpdateFlow, ReceiverGetsTheRxHeaderAndRegionAndTwentySecondsBeforeTheRestart)
{
    becomeReceiver();
    const MacImage image(300, 200, 100);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->macStartPayload(), startPayload(image.rxHeader()));
    EXPECT_EQ(unit->daemonData(), image.daemon);
    EXPECT_EQ(unit->macRegion(), image.rx);
    ASSERT_FALSE(clock().sleeps().empty());
    EXPECT_EQ(clock().sleeps().front(), kRxFlashGraceMs);
    EXPECT_EQ(h.side, VX_ZYRA_RX);
}

TEST_F(MacUpdateFlow, ReportsDaemonAndFirmwareSteps)
{
    // Daemon blocks 64 + 36 of 100; region blocks 64 x 4 + 44 of 300.
    ASSERT_EQ(update(MacImage(300, 10, 100).bytes), 0) << h.error_msg;
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"firmware upgrade start", 1},
                                                  {"starting daemon", 5},
                                                  {"daemon percent", 16},
                                                  {"daemon percent", 20},
                                                  {"firmware percent", 32},
                                                  {"firmware percent", 45},
                                                  {"firmware percent", 58},
                                                  {"firmware percent", 71},
                                                  {"firmware percent", 80},
                                                  {"restarting; waiting for device to appear", 85},
                                                  {"complete", 100}}));
}

TEST_F(MacUpdateFlow, FirmwareStepEqualToTheDaemonsLastIsNotReportedAgain)
{
    // The first of six 64-byte region blocks is step 10, where the daemon ended.
    ASSERT_EQ(update(MacImage(384, 10, 64).bytes), 0) << h.error_msg;
    EXPECT_EQ(log.percents("firmware percent"), (std::vector<int>{40, 50, 60, 70, 80}));
}

TEST_F(MacUpdateFlow, EmptyDaemonStillSendsItsHeaderAndGoesOn)
{
    const MacImage image(200, 10, 0);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->daemonHeader(), image.daemonHeader());
    EXPECT_TRUE(unit->daemonData().empty());
    EXPECT_EQ(unit->macRegion(), image.tx);
    EXPECT_TRUE(log.percents("daemon percent").empty());
}

using BlockRequests = MacUpdate;

TEST_F(BlockRequests, OddSizesAreServedExactly)
{
    unit->setMacBlockSizes({7, 13, 1});
    const MacImage image(301, 10, 99);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->daemonData(), image.daemon);
    EXPECT_EQ(unit->macRegion(), image.tx);
    EXPECT_EQ(unit->macOversizedBlocks(), 0);
}

TEST_F(BlockRequests, RequestsAboveSixtyFourBytesGetSixtyFour)
{
    unit->setMacBlockSizes({100, 65});
    const MacImage image(300, 10, 100);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->macRegion(), image.tx);
    for (size_t size : unit->macBlocksReceived())
        EXPECT_LE(size, 64u);
}

TEST_F(BlockRequests, RequestsBeyondTheRegionGetOnlyWhatIsLeft)
{
    unit->setMacBlockSizes({50}, false);
    const MacImage image(120, 10, 30);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->macRegion(), image.tx);
    EXPECT_EQ(unit->daemonData(), image.daemon);
    // Header, daemon 30, region 50 + 50 + 20: nothing beyond either part.
    EXPECT_EQ(unit->macBlocksReceived(), (std::vector<size_t>{33, 30, 50, 50, 20}));
}

TEST_F(BlockRequests, RequestForNothingWhileDataRemainsFailsInsteadOfLooping)
{
    unit->setMacBlockSizes({16, 0});
    const int64_t start = nowMs();
    expectFailure(update(MacImage(100, 10, 50).bytes), 3, "Failed to receive DATA_BYTE command");
    EXPECT_EQ(unit->macBlocksReceived(), (std::vector<size_t>{33, 16})) << "nothing sent for the empty request";
    EXPECT_LT(nowMs() - start, 60'000);
}

TEST_F(BlockRequests, FirstRequestMayTakeTwentySecondsTheOthersTen)
{
    unit->setMacStepDelayMs(15'000);
    expectFailure(update(MacImage(100, 10, 50).bytes), 3, "Failed to receive DATA_BYTE command");
    EXPECT_EQ(unit->macBlocksReceived(), (std::vector<size_t>{33})) << "the header went out after a 15-second wait";
}

TEST_F(BlockRequests, UnknownSideGetsTheTxHeaderThenFailsBeforeTheRegion)
{
    h.side = VX_ZYRA_UNKNOWN;
    const MacImage image(100, 80, 50);
    expectFailure(update(image.bytes), 4, "Firmware image corrupted");
    EXPECT_EQ(unit->macStartPayload(), startPayload(image.txHeader()));
    EXPECT_EQ(unit->daemonData(), image.daemon);
    EXPECT_TRUE(unit->macRegion().empty());
    EXPECT_EQ(unit->restartCount(), 0);
}

struct BadImage {
    const char *name;
    std::function<Bytes()> make;
};

void PrintTo(const BadImage &image, std::ostream *out)
{
    *out << image.name;
}

class MacImageCheck : public MacUpdate, public ::testing::WithParamInterface<BadImage>
{
};

TEST_P(MacImageCheck, ImageWhoseRegionsDoNotFitIsRefusedBeforeAnythingIsSent)
{
    expectFailure(update(GetParam().make()), 1, "Firmware image corrupted");
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"firmware upgrade start", 1}, {"BAD FW IMAGE", 0}}));
    EXPECT_TRUE(unit->frames().empty());
}

Bytes withLength(Bytes image, size_t headerAt, uint32_t length)
{
    putLe32(image, headerAt + 25, length);
    return image;
}

INSTANTIATE_TEST_SUITE_P(
    MacUpdate, MacImageCheck,
    ::testing::Values(
        BadImage{"empty", [] { return Bytes{}; }}, BadImage{"shorterThanTheTxLength", [] { return Bytes(28, 0); }},
        BadImage{"oneByteShortOfTheDaemonHeader",
                 [] {
                     Bytes b = MacImage(40, 30, 0).bytes;
                     b.pop_back();
                     return b;
                 }},
        BadImage{"rxHeaderCut",
                 [] {
                     Bytes b = MacImage(40, 30, 0).bytes;
                     b.resize(33 + 40 + 20);
                     return b;
                 }},
        BadImage{"txLengthPastTheEnd",
                 [] { return withLength(MacImage(40, 30, 20).bytes, 0, 40 + 30 + 20 + 33 + 33 + 1); }},
        // Sums of offsets and length fields that wrap around in 32 bits to a
        // length the image has: 33 + X, 66 + X, 76 + Y and 99 + X + Y.
        // With 33 + X wrapped to 17, a wrapped reading finds an RX length of
        // 0 at 42 and a daemon header at 50.
        BadImage{"txDataEndWrapping",
                 [] { return withLength(withLength(MacImage(40, 30, 100).bytes, 0, 0xFFFFFFF0u), 17, 0); }},
        BadImage{"rxHeaderEndWrapping", [] { return withLength(MacImage(40, 30, 100).bytes, 0, 0xFFFFFFC8u); }},
        BadImage{"rxDataEndWrapping", [] { return withLength(MacImage(10, 30, 100).bytes, 33 + 10, 0xFFFFFFC0u); }},
        BadImage{"daemonHeaderEndWrapping",
                 [] { return withLength(MacImage(10, 30, 100).bytes, 33 + 10, 0xFFFFFFA7u); }},
        BadImage{
            "bothLengthsHuge",
            [] { return withLength(withLength(MacImage(10, 10, 100).bytes, 0, 0x80000000u), 33 + 10, 0x80000000u); }}),
    [](const ::testing::TestParamInfo<BadImage> &row) { return std::string(row.param.name); });

TEST_F(MacUpdate, ImageExactlyReachingTheDaemonHeaderIsAccepted)
{
    const MacImage image(40, 30, 0);
    ASSERT_EQ(image.bytes.size(), 99u + 40 + 30);
    ASSERT_EQ(update(image.bytes), 0) << h.error_msg;
    EXPECT_EQ(unit->macRegion(), image.tx);
}

TEST_F(MacUpdate, NullImageIsRefused)
{
    expectFailure(vx_zyra_update_mac_array(&h, nullptr, 500, nullptr, nullptr), 1, "Firmware image corrupted");
    EXPECT_TRUE(unit->frames().empty());
}

struct MacFailure {
    const char *name;
    std::function<void(zyra_sim::VirtualUnit &)> provoke;
    uint8_t code;
    const char *message;
};

void PrintTo(const MacFailure &failure, std::ostream *out)
{
    *out << failure.name;
}

class MacUpdateFailures : public MacUpdate, public ::testing::WithParamInterface<MacFailure>
{
};

TEST_P(MacUpdateFailures, StopWithTheStepsMessageAndCode)
{
    GetParam().provoke(*unit);
    // Daemon in two blocks (64 + 36), region in five.
    expectFailure(update(MacImage(300, 10, 100).bytes), GetParam().code, GetParam().message);
    for (const Report &report : log.reports())
        EXPECT_NE(report.percent, 100) << "no completion is reported";
}

// Data transfers: 0 the daemon header, 1-2 the daemon, 3 on the region.
// DATA_BYTE requests: 0 for the header, 1-2 the daemon, 3 on the region.
INSTANTIATE_TEST_SUITE_P(
    MacUpdate, MacUpdateFailures,
    ::testing::Values(
        MacFailure{"startSend", [](zyra_sim::VirtualUnit &u) { u.dropOffBus(kNeverBackMs); }, 2,
                   "Failed to send UPDATE_MAC_START command"},
        MacFailure{"bootLoaderStarted",
                   [](zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::BOOT_LOADER_STARTED, 0); }, 3,
                   "Failed to receive BOOT_LOADER_STARTED command"},
        MacFailure{"firstDataByte", [](zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::DATA_BYTE, 0); }, 4,
                   "Failed to receive DATA_BYTE command"},
        MacFailure{"daemonHeaderSend", [](zyra_sim::VirtualUnit &) { failOutTransfer(rawTransfer(), 0); }, 6,
                   "Failed to send firmware data block"},
        MacFailure{"daemonDataByte", [](zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::DATA_BYTE, 2); }, 3,
                   "Failed to receive DATA_BYTE command"},
        MacFailure{"daemonBlockSend", [](zyra_sim::VirtualUnit &) { failOutTransfer(rawTransfer(), 2); }, 6,
                   "Failed to send firmware data block"},
        MacFailure{"bootLoaderReady",
                   [](zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::BOOT_LOADER_READY, 0); }, 3,
                   "Failed to receive BOOT_LOADER_READY command"},
        MacFailure{"regionDataByte", [](zyra_sim::VirtualUnit &u) { u.withholdRecordFrom(wire::DATA_BYTE, 5); }, 3,
                   "Failed to receive DATA_BYTE command"},
        MacFailure{"regionBlockSend", [](zyra_sim::VirtualUnit &) { failOutTransfer(rawTransfer(), 5); }, 6,
                   "Failed to send firmware data block"},
        MacFailure{"unitLeavesDuringTheRegion",
                   [](zyra_sim::VirtualUnit &u) { u.dropOffBusAtRecord(wire::DATA_BYTE, 4, kNeverBackMs); }, 3,
                   "Failed to receive DATA_BYTE command"},
        MacFailure{"restart", [](zyra_sim::VirtualUnit &u) { u.dropOffBusAt(wire::SYSTEM_RESTART, kNeverBackMs); }, 17,
                   "Failed to restart ZYRA device"}),
    [](const ::testing::TestParamInfo<MacFailure> &row) { return std::string(row.param.name); });

class MacUpdateFile : public MacUpdate
{
protected:
    std::string tempFile(const Bytes &content)
    {
        std::string pattern = ::testing::TempDir() + "zyra_mac_XXXXXX";
        int fd = mkstemp(pattern.data());
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        close(fd);
        file_ = pattern;
        return pattern;
    }

    void TearDown() override
    {
        if (!file_.empty())
            std::remove(file_.c_str());
        MacUpdate::TearDown();
    }

private:
    std::string file_;
};

TEST_F(MacUpdateFile, FileIsReadWholeAndSent)
{
    const MacImage image(100, 100, 40);
    const std::string file = tempFile(image.bytes);
    ASSERT_EQ(vx_zyra_update_mac(&h, file.c_str(), ProgressLog::callback, &log), 0) << h.error_msg;
    EXPECT_EQ(unit->macRegion(), image.tx);
}

}  // namespace
}  // namespace zyra_test
