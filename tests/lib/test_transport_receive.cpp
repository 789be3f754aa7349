// Receiving a response record out of the unit's 64-byte IN blocks: records
// split anywhere, other records in front, long payloads, short capacity,
// and the two ways a receive ends without its record.
#include <numeric>
#include <string>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr uint8_t CODE = wire::GET_SIDE;
constexpr uint8_t OTHER_CODE = wire::STORAGE_GET;
constexpr size_t HEADER = 8;

Bytes counting(size_t size, uint8_t first = 1)
{
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

Bytes concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Receive : public UnitTest {
protected:
    struct Result {
        int rc;
        size_t length;
        Bytes payload; // the bytes copied, as many as the capacity allowed
    };

    Result receive(int timeout = 10, size_t capacity = 64, uint8_t code = CODE)
    {
        Bytes buf(capacity + 16, 0xEE);
        buf[0] = code;
        size_t length = capacity;
        Result result{vx_zyra_recv_cmd(h.devh, buf.data(), &length, timeout), length, {}};
        const size_t copied = result.rc == 0 ? std::min(capacity, length) : 0;
        result.payload.assign(buf.begin(), buf.begin() + static_cast<long>(copied));
        for (size_t i = std::max<size_t>(copied, 1); i < buf.size(); ++i)
            EXPECT_EQ(buf[i], 0xEE) << "byte " << i << " written past what was copied";
        return result;
    }
};

TEST_F(Receive, RecordInOneBlockIsReturned)
{
    unit->respond(CODE, {2});
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.length, 1u);
    EXPECT_EQ(r.payload, Bytes{2});
}

TEST_F(Receive, RecordSplitAtEveryPositionIsReturnedWhole)
{
    const Bytes payload = counting(40);
    const Bytes record = zyra_sim::makeRecord(CODE, payload);
    for (size_t split = 1; split < record.size(); ++split) {
        unit->pushStream(record, {split});
        const Result r = receive();
        EXPECT_EQ(r.rc, 0) << "split after byte " << split;
        EXPECT_EQ(r.payload, payload) << "split after byte " << split;
        EXPECT_EQ(unit->pendingBlocks(), 0u);
    }
}

TEST_F(Receive, RecordBehindAnotherRecordSplitAtEveryPositionIsReturned)
{
    const Bytes payload = counting(20, 0x40);
    const Bytes stream = concat(zyra_sim::makeRecord(OTHER_CODE, counting(17)), zyra_sim::makeRecord(CODE, payload));
    for (size_t split = 1; split < stream.size(); ++split) {
        unit->pushStream(stream, {split});
        const Result r = receive();
        EXPECT_EQ(r.rc, 0) << "split after byte " << split;
        EXPECT_EQ(r.payload, payload) << "split after byte " << split;
    }
}

TEST_F(Receive, RecordSpreadOverThreeSmallBlocksIsReturned)
{
    const Bytes payload = counting(30);
    unit->pushStream(zyra_sim::makeRecord(CODE, payload), {3, 4, 5});
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, payload);
}

TEST_F(Receive, LateAnswersAndUnsolicitedRecordsInFrontAreSkipped)
{
    const Bytes stream = concat(concat(zyra_sim::makeRecord(OTHER_CODE, counting(12)),
                                       zyra_sim::makeRecord(wire::GET_APP_VERSION, {1, 2, 3}, 0x02)),
                                zyra_sim::makeRecord(CODE, {2}));
    unit->pushStream(stream);
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, Bytes{2});
}

TEST_F(Receive, HundredBytePayloadOverTwoBlocksIsReturnedWithTheSecondBlock)
{
    const Bytes payload = counting(100);
    unit->respond(CODE, payload);
    ASSERT_EQ(unit->pendingBlocks(), 2u);
    const Result r = receive(10, 128);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.length, 100u);
    EXPECT_EQ(r.payload, payload);
}

TEST_F(Receive, LongestPayloadStartingABlockIsReturned)
{
    const Bytes payload = counting(114);
    unit->respond(CODE, payload);
    const Result r = receive(10, 128);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, payload);
}

TEST_F(Receive, LongestPayloadStartingLateInABlockIsReturned)
{
    const Bytes payload = counting(114);
    unit->pushStream(concat(zyra_sim::makeRecord(OTHER_CODE, counting(40)), zyra_sim::makeRecord(CODE, payload)));
    const Result r = receive(10, 128);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, payload);
}

TEST_F(Receive, RecordTooLongForTheReassemblyBufferIsSkippedForTheNextOne)
{
    unit->pushStream(concat(zyra_sim::makeRecord(CODE, Bytes(115, 0x11)), zyra_sim::makeRecord(CODE, {2})));
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, Bytes{2});
}

TEST_F(Receive, ShortCapacityCopiesThatMuchAndReportsTheFullLength)
{
    const Bytes payload = counting(10);
    unit->respond(CODE, payload);
    const Result r = receive(10, 4);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.length, 10u);
    EXPECT_EQ(r.payload, Bytes(payload.begin(), payload.begin() + 4));
}

TEST_F(Receive, EmptyPayloadIsReturnedWithLengthZero)
{
    unit->respond(CODE, {});
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.length, 0u);
}

TEST_F(Receive, StatusAndTrailingBytesOfABlockAreNotStreamData)
{
    // Kept, the leading 00 24 would complete a header for a payload of 5.
    unit->setBlockFiller(0x00, 0x24, 0x00);
    unit->pushStream(concat(Bytes{0x01, 0x00, 0x00, CODE, 0x00, 0x01, 0x05}, zyra_sim::makeRecord(CODE, {2})));
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, Bytes{2});
}

TEST_F(Receive, BlocksTooShortToCarryStreamBytesDoNotBreakARecord)
{
    const Bytes record = zyra_sim::makeRecord(CODE, counting(20));
    unit->pushStream(Bytes(record.begin(), record.begin() + 10));
    unit->pushBlock({0x00, 0x24});
    unit->pushBlock({});
    unit->pushStream(Bytes(record.begin() + 10, record.end()));
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, counting(20));
}

TEST_F(Receive, ClassAndHighBytesOfCodeAndLengthAreNotExamined)
{
    unit->pushStream(zyra_sim::makeRecord(CODE, {2}, 0x55, 0x12));
    const Result first = receive();
    EXPECT_EQ(first.rc, 0);
    EXPECT_EQ(first.payload, Bytes{2});

    unit->pushStream({0x00, 0x24, 0x01, 0x00, 0x00, CODE, 0x01, 0x01, 0x07});
    const Result second = receive();
    EXPECT_EQ(second.rc, 0);
    EXPECT_EQ(second.length, 1u);
    EXPECT_EQ(second.payload, Bytes{7});
}

TEST_F(Receive, HeaderWithAnotherTypeIsNotAResponse)
{
    unit->pushStream(concat({0x00, 0x24, 0x02, 0x00, 0x00, CODE, 0x00, 0x01, 0x07}, zyra_sim::makeRecord(CODE, {2})));
    const Result r = receive();
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, Bytes{2});
}

TEST_F(Receive, NothingAtAllGivesTheTransfersOwnTimeout)
{
    const Result r = receive(5);
    EXPECT_EQ(r.rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 5000) << "the first read waits the whole timeout";
}

TEST_F(Receive, EndlessUnrelatedBlocksEndWithTheDeadline)
{
    unit->setIdleNoise(300);
    const Result r = receive(5);
    EXPECT_EQ(r.rc, DEADLINE_PASSED);
    EXPECT_GE(nowMs(), 5000);
    EXPECT_LT(nowMs(), 6000);
}

TEST_F(Receive, ZeroLengthPacketsEndWithTheDeadline)
{
    unit->setEmptyIn(zyra_sim::EmptyIn::ZeroLengthPacket);
    const Result r = receive(5);
    EXPECT_EQ(r.rc, DEADLINE_PASSED);
    EXPECT_GE(nowMs(), 5000);
    EXPECT_LT(nowMs(), 5100);
}

TEST_F(Receive, LateAnswerWithinTheTimeoutIsReturned)
{
    unit->after(4500, [](zyra_sim::VirtualUnit &u) { u.respond(CODE, {2}); });
    const Result r = receive(5);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(nowMs(), 4500);
}

TEST_F(Receive, RecordIncompleteAtTheDeadlineIsStillAwaited)
{
    const Bytes record = zyra_sim::makeRecord(CODE, counting(30));
    auto part = [&record](size_t from, size_t to) {
        Bytes bytes(record.begin() + static_cast<long>(from), record.begin() + static_cast<long>(to));
        return [bytes](zyra_sim::VirtualUnit &u) { u.pushStream(bytes); };
    };
    unit->after(1500, part(0, 12));
    unit->after(2200, part(12, 20));
    unit->after(2700, part(20, record.size()));

    const Result r = receive(2);
    EXPECT_EQ(r.rc, 0) << "the deadline passed with the record half received";
    EXPECT_EQ(r.payload, counting(30));
}

TEST_F(Receive, ContinuationThatNeverComesEndsWithTheReadsTimeoutAfterOneSecond)
{
    const Bytes record = zyra_sim::makeRecord(CODE, counting(30));
    unit->after(1500, [record](zyra_sim::VirtualUnit &u) { u.pushStream(Bytes(record.begin(), record.begin() + 12)); });
    unit->after(2200, [record](zyra_sim::VirtualUnit &u) { u.pushStream(Bytes(record.begin() + 12, record.begin() + 20)); });

    const Result r = receive(2);
    EXPECT_EQ(r.rc, LIBUSB_ERROR_TIMEOUT);
    // Past the deadline, each read for the missing part still waits a second.
    EXPECT_EQ(nowMs(), 3200);
}

TEST_F(Receive, ContinuationIsAwaitedAtMostTheCommandsTimeoutPerRead)
{
    const Bytes record = zyra_sim::makeRecord(CODE, counting(30));
    unit->pushStream(Bytes(record.begin(), record.begin() + 12));
    const Result r = receive(3);
    EXPECT_EQ(r.rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 3000);
}

TEST_F(Receive, ZeroTimeoutNeverAsksForAnUnlimitedWait)
{
    const Result r = receive(0);
    EXPECT_EQ(r.rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 1000);
}

TEST_F(Receive, TransferErrorIsReturnedAtOnce)
{
    unit->dropOffBus(60'000);
    EXPECT_EQ(receive().rc, LIBUSB_ERROR_NO_DEVICE);
}

TEST_F(Receive, DataAfterTheReturnedRecordStaysForTheNextReceive)
{
    unit->respond(CODE, {2});
    unit->respond(OTHER_CODE, {9, 9});
    ASSERT_EQ(receive().rc, 0);
    const Result r = receive(10, 64, OTHER_CODE);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.payload, (Bytes{9, 9}));
}

}  // namespace
}  // namespace zyra_test
