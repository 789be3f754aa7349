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

Bytes counting(size_t size)
{
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    return bytes;
}

Bytes concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes slice(const Bytes &bytes, size_t from, size_t to)
{
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

class Receive : public UnitTest
{
protected:
    struct Result {
        int rc;
        size_t length;
        Bytes copied;
    };

    // Receives into a buffer of the given capacity followed by guard bytes
    // that must stay untouched.
    Result receive(int timeout = 10, size_t capacity = 128)
    {
        Bytes buf(capacity + 16, 0xEE);
        buf[0] = CODE;
        size_t length = capacity;
        const int rc = vx_zyra_recv_cmd(h.devh, buf.data(), &length, timeout);
        const size_t copied = rc == 0 ? std::min(capacity, length) : 0;
        EXPECT_EQ(slice(buf, std::max<size_t>(copied, 1), buf.size()),
                  Bytes(buf.size() - std::max<size_t>(copied, 1), 0xEE))
            << "written past the bytes copied";
        return {rc, length, slice(buf, 0, copied)};
    }

    void expectReceived(const Bytes &payload, const std::string &context = "")
    {
        const Result r = receive();
        EXPECT_EQ(r.rc, 0) << context;
        EXPECT_EQ(r.length, payload.size()) << context;
        EXPECT_EQ(r.copied, payload) << context;
    }
};

// Alone or behind a record for another command, split into two blocks at
// any byte.
TEST_F(Receive, RecordSplitAtEveryPositionIsReturnedWhole)
{
    const Bytes payload = counting(20);
    const Bytes record = zyra_sim::makeRecord(CODE, payload);
    for (const Bytes &stream : {record, concat(zyra_sim::makeRecord(OTHER_CODE, counting(17)), record)}) {
        for (size_t split = 1; split < stream.size(); ++split) {
            unit->pushStream(stream, {split});
            expectReceived(payload, std::to_string(stream.size()) + " bytes split after byte " + std::to_string(split));
        }
    }
}

TEST_F(Receive, BlocksWithFewOrNoStreamBytesDoNotBreakARecord)
{
    const Bytes record = zyra_sim::makeRecord(CODE, counting(30));
    unit->pushStream(slice(record, 0, 12), {3, 4, 5});
    unit->pushBlock({wire::RECORD_PREFIX_0, wire::RECORD_PREFIX_1});
    unit->pushBlock({});
    unit->pushStream(slice(record, 12, record.size()));
    expectReceived(counting(30));
}

TEST_F(Receive, HundredBytePayloadOverTwoBlocksIsReturned)
{
    unit->respond(CODE, counting(100));
    ASSERT_EQ(unit->pendingBlocks(), 2u);
    expectReceived(counting(100));
}

TEST_F(Receive, LongestPayloadIsReturnedWhereverItStarts)
{
    unit->respond(CODE, counting(114));
    expectReceived(counting(114), "at the start of a block");
    unit->pushStream(concat(zyra_sim::makeRecord(OTHER_CODE, counting(40)), zyra_sim::makeRecord(CODE, counting(114))));
    expectReceived(counting(114), "late in a block");
}

TEST_F(Receive, RecordTooLongForTheReassemblyBufferIsSkippedForTheNextOne)
{
    unit->pushStream(concat(zyra_sim::makeRecord(CODE, Bytes(115, 0x11)), zyra_sim::makeRecord(CODE, {2})));
    expectReceived({2});
}

TEST_F(Receive, ShortCapacityCopiesThatMuchAndReportsTheFullLength)
{
    unit->respond(CODE, counting(10));
    const Result r = receive(10, 4);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.length, 10u);
    EXPECT_EQ(r.copied, counting(4));
}

TEST_F(Receive, StatusAndTrailingBytesOfABlockAreNotStreamData)
{
    // Kept, the leading 00 24 would complete a header for a payload of 5.
    unit->setBlockFiller(wire::RECORD_PREFIX_0, wire::RECORD_PREFIX_1, 0x00);
    unit->pushStream(concat(Bytes{0x01, 0x00, 0x00, CODE, 0x00, 0x01, 0x05}, zyra_sim::makeRecord(CODE, {2})));
    expectReceived({2});
}

TEST_F(Receive, OnlyPrefixTypeAndLowBytesOfCodeAndLengthAreExamined)
{
    const Bytes wrongType{wire::RECORD_PREFIX_0, wire::RECORD_PREFIX_1, 0x02, 0x00, 0x00, CODE, 0x00, 0x01, 0x07};
    const Bytes highBytesSet{
        wire::RECORD_PREFIX_0, wire::RECORD_PREFIX_1, wire::RECORD_TYPE, 0x55, 0x12, CODE, 0x01, 0x01, 0x09};
    unit->pushStream(concat(wrongType, highBytesSet));
    expectReceived({9});
}

TEST_F(Receive, NothingAtAllGivesTheTransfersOwnTimeout)
{
    EXPECT_EQ(receive(5).rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 5000);
}

TEST_F(Receive, EndlessUnrelatedBlocksEndWithTheDeadline)
{
    unit->setIdleNoise(300);
    EXPECT_EQ(receive(5).rc, DEADLINE_PASSED);
    EXPECT_GE(nowMs(), 5000);
    EXPECT_LT(nowMs(), 6000);
}

TEST_F(Receive, ZeroLengthPacketsEndWithTheDeadline)
{
    unit->setEmptyIn(zyra_sim::EmptyIn::ZeroLengthPacket);
    EXPECT_EQ(receive(5).rc, DEADLINE_PASSED);
    EXPECT_GE(nowMs(), 5000);
    EXPECT_LT(nowMs(), 5100);
}

class ReceiveInPieces : public Receive
{
protected:
    const Bytes record = zyra_sim::makeRecord(CODE, counting(30));

    void pieceArrivesAt(int64_t atMs, size_t from, size_t to)
    {
        unit->after(atMs, [piece = slice(record, from, to)](zyra_sim::VirtualUnit &u) { u.pushStream(piece); });
    }
};

TEST_F(ReceiveInPieces, RecordIncompleteAtTheDeadlineIsStillAwaited)
{
    pieceArrivesAt(1500, 0, 12);
    pieceArrivesAt(2200, 12, 20);
    pieceArrivesAt(2700, 20, record.size());
    const Result r = receive(2);
    EXPECT_EQ(r.rc, 0) << "the deadline passed with the record half received";
    EXPECT_EQ(r.copied, counting(30));
}

TEST_F(ReceiveInPieces, HeaderCutByABlockEndAtTheDeadlineIsStillAwaited)
{
    unit->after(1500, [](zyra_sim::VirtualUnit &u) { u.pushStream(zyra_sim::makeRecord(OTHER_CODE, {1})); });
    pieceArrivesAt(2100, 0, 4);
    pieceArrivesAt(2400, 4, record.size());
    const Result r = receive(2);
    EXPECT_EQ(r.rc, 0) << "the deadline passed with only the record's prefix received";
    EXPECT_EQ(r.copied, counting(30));
}

TEST_F(ReceiveInPieces, ContinuationThatNeverComesEndsWithTheReadsTimeoutAfterOneSecond)
{
    pieceArrivesAt(1500, 0, 12);
    pieceArrivesAt(2200, 12, 20);
    EXPECT_EQ(receive(2).rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 3200) << "past the deadline, each read for the missing part waits a second";
}

TEST_F(Receive, ZeroTimeoutNeverAsksForAnUnlimitedWait)
{
    EXPECT_EQ(receive(0).rc, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 1000);
}

}  // namespace
}  // namespace zyra_test
