// The radio (MAC) update as the unit drives it: the daemon and region pulls,
// the unit's choice of block sizes, and the MAC version after the restart.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

Bytes header(uint32_t length, uint8_t fill)
{
    Bytes bytes(33, fill);
    for (int i = 0; i < 4; ++i)
        bytes[25 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
    return bytes;
}

Bytes pattern(size_t size, uint8_t seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

Bytes startPayload(const Bytes &regionHeader)
{
    Bytes payload(29, 0x00);
    payload[0] = 0x01;
    for (size_t i = 0; i < 27; ++i)
        payload[2 + i] = regionHeader[i];
    return payload;
}

class MacUpdateTest : public SimTest
{
protected:
    // The next DATA_BYTE request's byte count.
    std::optional<uint16_t> nextRequest()
    {
        std::optional<Bytes> request = host.awaitPayload(wire::DATA_BYTE, 20000);
        if (!request || request->size() < 2)
            return std::nullopt;
        return static_cast<uint16_t>((*request)[0] | (*request)[1] << 8);
    }
    void start(const Bytes &regionHeader)
    {
        ASSERT_EQ(host.sendFrame(wire::UPDATE_MAC_START, startPayload(regionHeader)), 0);
        ASSERT_TRUE(host.awaitPayload(wire::BOOT_LOADER_STARTED, 20000)) << "BOOT_LOADER_STARTED";
    }
    // Answers requests from `source` until it is used up; the sizes asked for.
    std::vector<uint16_t> serve(const Bytes &source)
    {
        std::vector<uint16_t> asked;
        size_t at = 0;
        while (at < source.size()) {
            std::optional<uint16_t> count = nextRequest();
            if (!count)
                break;
            asked.push_back(*count);
            size_t size = std::min<size_t>(*count, source.size() - at);
            EXPECT_EQ(host.send(Bytes(source.begin() + static_cast<std::ptrdiff_t>(at),
                                      source.begin() + static_cast<std::ptrdiff_t>(at + size))),
                      0);
            at += size;
            if (*count == 0)
                break;
        }
        return asked;
    }
    void sendDaemon(const Bytes &daemonHeader, const Bytes &daemon)
    {
        ASSERT_EQ(nextRequest(), 33) << "the first request is for the daemon header";
        ASSERT_EQ(host.send(daemonHeader), 0);
        serve(daemon);
        ASSERT_TRUE(host.awaitPayload(wire::BOOT_LOADER_READY, 20000)) << "BOOT_LOADER_READY";
    }
};

TEST_F(MacUpdateTest, WholeUpdateLeavesTheRegionAndItsVersion)
{
    Bytes region = pattern(300, 9);
    Bytes daemon = pattern(100, 1);
    start(header(300, 0x11));
    EXPECT_EQ(unit->macStartPayload(), startPayload(header(300, 0x11)));
    sendDaemon(header(100, 0x22), daemon);
    EXPECT_EQ(serve(region), (std::vector<uint16_t>{64, 64, 64, 64, 44}));
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Complete);
    EXPECT_EQ(unit->daemonHeader(), header(100, 0x22));
    EXPECT_EQ(unit->daemonData(), daemon);
    EXPECT_EQ(unit->macRegion(), region);
    ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
    reconnectAfterRestart();
    EXPECT_EQ(host.ask(wire::MAC_REG_READ, {0x10, 0x00, 0x04, 0x00}), Bytes(region.begin(), region.begin() + 4))
        << "the MAC version comes from the region's first bytes";
}

TEST_F(MacUpdateTest, RequestCarriesCountAndOffsetLittleEndian)
{
    unit->setMacBlockSizes({0x40});
    start(header(200, 0));
    ASSERT_EQ(nextRequest(), 33);
    ASSERT_EQ(host.send(header(300, 0)), 0);
    ASSERT_EQ(nextRequest(), 64);
    ASSERT_EQ(host.send(Bytes(64, 0)), 0);
    EXPECT_EQ(host.awaitPayload(wire::DATA_BYTE), (Bytes{0x40, 0x00, 0x40, 0x00, 0x00, 0x00}));
}

TEST_F(MacUpdateTest, BlockSizesFollowTheSequenceAndAreCutToWhatIsLeft)
{
    unit->setMacBlockSizes({17, 5});
    start(header(50, 0));
    sendDaemon(header(0, 0), {});
    EXPECT_EQ(serve(pattern(50, 3)), (std::vector<uint16_t>{17, 5, 17, 5, 6}));
    EXPECT_EQ(unit->macBlocksReceived(), (std::vector<size_t>{33, 17, 5, 17, 5, 6}));
}

TEST_F(MacUpdateTest, UncappedRequestMayAskForMoreThanIsLeft)
{
    unit->setMacBlockSizes({100}, false);
    start(header(30, 0));
    sendDaemon(header(0, 0), {});
    EXPECT_EQ(serve(pattern(30, 3)), (std::vector<uint16_t>{100}));
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Complete) << "a shorter answer finishes the region";
}

TEST_F(MacUpdateTest, ZeroRequestIsAskedAsZero)
{
    unit->setMacBlockSizes({0});
    start(header(30, 0));
    ASSERT_EQ(nextRequest(), 33);
    ASSERT_EQ(host.send(header(10, 0)), 0);
    EXPECT_EQ(nextRequest(), 0);
}

TEST_F(MacUpdateTest, EmptyDaemonGoesStraightToReady)
{
    start(header(10, 0));
    ASSERT_EQ(nextRequest(), 33);
    ASSERT_EQ(host.send(header(0, 0)), 0);
    EXPECT_TRUE(host.awaitPayload(wire::BOOT_LOADER_READY));
    EXPECT_EQ(nextRequest(), 10);
}

TEST_F(MacUpdateTest, RegionLengthComesFromTheLowHalfUnlessSet)
{
    start(header(0x00012345, 0));
    sendDaemon(header(0, 0), {});
    EXPECT_EQ(serve(pattern(0x2345, 1)).size(), (0x2345u + 63) / 64) << "bytes 25-26 only: 0x2345";
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Complete);

    unit->setRegionLength(0x12345);
    start(header(0x00012345, 0));
    sendDaemon(header(0, 0), {});
    serve(pattern(0x12345, 1));
    EXPECT_EQ(unit->macRegion().size(), 0x12345u);
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Complete);
}

TEST_F(MacUpdateTest, DaemonLengthCanBeSetInsteadOfRead)
{
    unit->setDaemonLength(70);
    start(header(10, 0));
    sendDaemon(header(5000, 0), pattern(70, 4));
    EXPECT_EQ(unit->daemonData().size(), 70u);
}

TEST_F(MacUpdateTest, DataThatLooksLikeAFrameIsStillData)
{
    start(header(5, 0));
    sendDaemon(header(0, 0), {});
    ASSERT_EQ(nextRequest(), 5);
    Bytes frameLike = makeFrame(wire::SYSTEM_RESTART, {});
    ASSERT_EQ(host.send(frameLike), 0);
    EXPECT_EQ(unit->macRegion(), frameLike);
    EXPECT_EQ(unit->restartCount(), 0);
    EXPECT_TRUE(unit->frames().back().data);
}

TEST_F(MacUpdateTest, OversizedAnswerIsCounted)
{
    start(header(100, 0));
    sendDaemon(header(0, 0), {});
    ASSERT_EQ(nextRequest(), 64);
    ASSERT_EQ(host.send(Bytes(70, 1)), 0);
    EXPECT_EQ(unit->macOversizedBlocks(), 1);
}

TEST_F(MacUpdateTest, RestartInTheMiddleLeavesTheRadioWithoutFirmware)
{
    start(header(100, 0));
    sendDaemon(header(0, 0), {});
    unit->dropOffBus(1000);
    clock().sleepMs(1000);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Idle);
    EXPECT_EQ(unit->readRegisters(0x10, 4), (Bytes{0, 0, 0, 0}));
}

// A pull the host abandoned ends as on hardware, unless the radio is the
// faulty one that never gives up: then a command is still taken as data.
TEST_F(MacUpdateTest, AbandonedPullEndsWhenIdleOrWithoutPower)
{
    struct Row {
        const char *name;
        bool endless;
        int64_t idleMs;
        bool dropsOut;
        bool ends;
    };
    for (const Row &row : std::vector<Row>{{"idle past the timeout", false, 30000, false, true},
                                           {"idle within the timeout", false, 29999, false, false},
                                           {"power gone", false, 0, true, true},
                                           {"endless, idle", true, 600000, false, false},
                                           {"endless, power gone", true, 0, true, false}}) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        unit->setEndlessMacPull(row.endless);
        start(header(100, 0));
        sendDaemon(header(0, 0), {});
        ASSERT_EQ(nextRequest(), 64);
        clock().sleepMs(row.idleMs);
        if (row.dropsOut) {
            unit->dropOffBus(1000);
            reconnectAfterRestart();
        }
        const std::optional<Bytes> side = host.ask(wire::GET_SIDE);
        EXPECT_EQ(side.has_value(), row.ends);
        EXPECT_EQ(unit->macUpdate(), row.ends ? MacUpdate::Idle : MacUpdate::PullingRegion);
        EXPECT_EQ(unit->abandonedMacPulls(), row.ends ? 1 : 0);
        if (row.ends) {
            EXPECT_EQ(unit->readRegisters(0x10, 4), (Bytes{0, 0, 0, 0})) << "the radio waits in its bootloader";
        }
    }
}

TEST_F(MacUpdateTest, MalformedStartIsIgnored)
{
    Bytes payload = startPayload(header(10, 0));
    payload[0] = 0x02;
    ASSERT_EQ(host.sendFrame(wire::UPDATE_MAC_START, payload), 0);
    EXPECT_EQ(host.read(20000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(unit->macUpdate(), MacUpdate::Idle);
}

TEST_F(MacUpdateTest, UnitCanDropOffAtAnyRequest)
{
    unit->dropOffBusAtRecord(wire::DATA_BYTE, 2, 5000);
    start(header(200, 0));
    ASSERT_EQ(nextRequest(), 33);
    ASSERT_EQ(host.send(header(0, 0)), 0);
    ASSERT_TRUE(host.awaitPayload(wire::BOOT_LOADER_READY));
    ASSERT_EQ(nextRequest(), 64);
    ASSERT_EQ(host.send(Bytes(64, 0)), 0);
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE) << "gone instead of the third request";
}

TEST_F(MacUpdateTest, FailedDataTransferIsNotTakenAndTheRequestStaysOpen)
{
    unit->failDataTransferAt(1, LIBUSB_ERROR_PIPE);
    EXPECT_EQ(host.send(Bytes(40, 0x11)), 0) << "outside an update a transfer is no data block";
    start(header(200, 0));
    ASSERT_EQ(nextRequest(), 33);
    ASSERT_EQ(host.send(header(0, 0)), 0);
    ASSERT_TRUE(host.awaitPayload(wire::BOOT_LOADER_READY));
    ASSERT_EQ(nextRequest(), 64);
    EXPECT_EQ(host.send(Bytes(64, 0)), LIBUSB_ERROR_PIPE);
    EXPECT_EQ(host.send(Bytes(64, 0)), 0) << "once only";
    EXPECT_EQ(unit->macBlocksReceived(), (std::vector<size_t>{33, 64}));
    EXPECT_EQ(unit->failedOutTransfers(), 1);
}

TEST_F(MacUpdateTest, StepDelayPacesEveryRecord)
{
    unit->setMacStepDelayMs(250);
    start(header(10, 0));
    EXPECT_EQ(clock().nowMs(), 250);
    ASSERT_EQ(nextRequest(), 33);
    EXPECT_EQ(clock().nowMs(), 250) << "the request was queued with BOOT_LOADER_STARTED";
    ASSERT_EQ(host.send(header(0, 0)), 0);
    ASSERT_TRUE(host.awaitPayload(wire::BOOT_LOADER_READY));
    EXPECT_EQ(clock().nowMs(), 500);
}

}  // namespace
}  // namespace zyra_sim::test
