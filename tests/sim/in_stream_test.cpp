// How response records reach the IN endpoint: block layout, splitting,
// records sharing blocks.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

using InBlocks = SimTest;

Bytes streamOf(const Bytes &block)
{
    return Bytes(block.begin() + 2, block.end() - 1);
}

TEST_F(InBlocks, EachAnswerStartsAFreshBlockBetweenFillerBytes)
{
    ASSERT_EQ(host.sendFrame(wire::GET_SIDE, {}), 0);
    ASSERT_EQ(host.sendFrame(wire::GET_APP_VERSION, {}), 0);
    InTransfer first = host.read();
    InTransfer second = host.read();
    EXPECT_EQ(first.data, (Bytes{0x00, 0x24, 0x00, 0x24, 0x01, 0x00, 0x00, 0x7A, 0x00, 0x01, 0x01, 0x00}));
    EXPECT_EQ(streamOf(second.data), makeRecord(wire::GET_APP_VERSION, {1, 2, 3}));
}

TEST_F(InBlocks, LongRecordFillsBlocksOf61StreamBytes)
{
    unit->respond(wire::STORAGE_GET, Bytes(100, 0x5A));
    InTransfer first = host.read();
    InTransfer second = host.read();
    ASSERT_EQ(first.data.size(), 64u);
    ASSERT_EQ(second.data.size(), 108u - 61u + 3u);
    Bytes stream = streamOf(first.data);
    Bytes rest = streamOf(second.data);
    stream.insert(stream.end(), rest.begin(), rest.end());
    EXPECT_EQ(stream, makeRecord(wire::STORAGE_GET, Bytes(100, 0x5A)));
}

TEST_F(InBlocks, ChunkingSplitsEveryFollowingAnswerAtTheChosenByte)
{
    unit->setChunking({5, 0});
    ASSERT_EQ(host.sendFrame(wire::GET_APP_VERSION, {}), 0);
    InTransfer first = host.read();
    InTransfer empty = host.read();
    InTransfer last = host.read();
    EXPECT_EQ(first.data.size(), 8u);
    EXPECT_EQ(streamOf(first.data), (Bytes{0x00, 0x24, 0x01, 0x00, 0x00}));
    EXPECT_EQ(empty.data.size(), 3u) << "a chunk of 0 gives a block without stream bytes";
    EXPECT_EQ(streamOf(last.data), (Bytes{0xE2, 0x00, 0x03, 1, 2, 3}));
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1}) << "the next answer is split the same way and still whole";
}

TEST_F(InBlocks, PrecedingStreamSharesTheAnswersBlock)
{
    Bytes other = makeRecord(wire::GET_APP_VERSION, {7, 7, 7});
    unit->precedeNextResponse(other);
    ASSERT_EQ(host.sendFrame(wire::GET_SIDE, {}), 0);
    InTransfer block = host.read();
    Bytes expected = other;
    Bytes answer = makeRecord(wire::GET_SIDE, {1});
    expected.insert(expected.end(), answer.begin(), answer.end());
    EXPECT_EQ(streamOf(block.data), expected);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1}) << "the preceding stream is used once";
    EXPECT_EQ(unit->pendingBlocks(), 0u);
}

TEST_F(InBlocks, PushedBlockArrivesVerbatimAndOversizedOnesAreRefused)
{
    unit->pushBlock({0x01, 0x02});
    EXPECT_EQ(host.read().data, (Bytes{0x01, 0x02}));
    EXPECT_THROW(unit->pushBlock(Bytes(65, 0)), std::invalid_argument);
    EXPECT_THROW(unit->pushStream(Bytes(10, 0), {62}), std::invalid_argument);
}

TEST_F(InBlocks, FillerBytesAreConfigurable)
{
    unit->setBlockFiller(0x31, 0x60, 0xEE);
    unit->pushStream({0x10, 0x11});
    EXPECT_EQ(host.read().data, (Bytes{0x31, 0x60, 0x10, 0x11, 0xEE}));
}

TEST_F(InBlocks, SmallCapacityGetsTheBlockHeadAndLosesTheRest)
{
    unit->respond(wire::GET_SIDE, {1});
    InTransfer in = host.read(1000, 4);
    EXPECT_EQ(in.data, (Bytes{0x00, 0x24, 0x00, 0x24}));
    EXPECT_EQ(unit->pendingBlocks(), 0u);
}

TEST_F(InBlocks, IdleNoiseFillsWholeBlocksWithUnrelatedRecordsAtItsInterval)
{
    unit->setIdleNoise(100);
    int64_t start = clock().nowMs();
    InTransfer noise = host.read(1000);
    ASSERT_EQ(noise.result, 0);
    EXPECT_EQ(noise.data.size(), 64u);
    EXPECT_EQ(clock().nowMs() - start, 100);
    Bytes stream = streamOf(noise.data);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 3),
              (Bytes{wire::RECORD_PREFIX_0, wire::RECORD_PREFIX_1, wire::RECORD_TYPE}));
    for (uint8_t code :
         {wire::GET_SIDE, wire::GET_APP_VERSION, wire::STORAGE_GET, wire::GET_SIGNATURE, wire::MAC_REG_READ,
          wire::STORAGE_SET, wire::DATA_BYTE, wire::BOOT_LOADER_READY, wire::BOOT_LOADER_STARTED, wire::ERASE_DONE})
        EXPECT_NE(stream[5], code) << "noise must not look like an answer";
    EXPECT_EQ(host.read(50).result, LIBUSB_ERROR_TIMEOUT) << "no noise before the next interval";
    EXPECT_EQ(host.read(50).result, 0);
}

}  // namespace
}  // namespace zyra_sim::test
