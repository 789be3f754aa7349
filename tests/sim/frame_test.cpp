// The frame and record helpers, and how the unit reads an OUT transfer.
#include <gtest/gtest.h>

#include "wire_codes.h"
#include "zyra_sim/frame.h"

namespace zyra_sim {
namespace {

TEST(Frames, CommandWithoutPayloadIsFiveBytesWithXorChecksum)
{
    EXPECT_EQ(makeFrame(wire::GET_SIDE, {}), (Bytes{0xAA, 0xBB, 0x7A, 0x00, 0x6B}));
}

TEST(Frames, RecordCarriesBigEndianCodeAndLength)
{
    Bytes payload(300, 0x11);
    Bytes record = makeRecord(wire::STORAGE_GET, payload, 0x05, 0x01);
    ASSERT_EQ(record.size(), 308u);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 8), (Bytes{0x00, 0x24, 0x01, 0x05, 0x01, 0xD2, 0x01, 0x2C}));
}

TEST(Frames, ParsedFrameYieldsCodeAndPayload)
{
    ReceivedFrame frame = parseTransfer(makeFrame(wire::STORAGE_SET, {0x01, 0x00, 0x04}), 42);
    EXPECT_TRUE(frame.framed);
    EXPECT_EQ(frame.code, wire::STORAGE_SET);
    EXPECT_EQ(frame.payload, (Bytes{0x01, 0x00, 0x04}));
    EXPECT_EQ(frame.atMs, 42);
}

TEST(Frames, BadChecksumIsNotAFrame)
{
    Bytes bytes = makeFrame(wire::GET_SIDE, {});
    bytes.back() ^= 0x01;
    EXPECT_FALSE(parseTransfer(bytes, 0).framed);
}

TEST(Frames, LengthByteDisagreeingWithSizeIsNotAFrame)
{
    Bytes longer = makeFrame(wire::STORAGE_GET, {0x01, 0x00});
    longer.insert(longer.end() - 1, 0x00);
    EXPECT_FALSE(parseTransfer(longer, 0).framed);
    Bytes shorter = makeFrame(wire::STORAGE_GET, {0x01, 0x00});
    shorter.erase(shorter.begin() + 4);
    EXPECT_FALSE(parseTransfer(shorter, 0).framed);
}

TEST(Frames, DataWithoutPrefixIsKeptUnframed)
{
    Bytes data{0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    ReceivedFrame frame = parseTransfer(data, 7);
    EXPECT_FALSE(frame.framed);
    EXPECT_EQ(frame.bytes, data);
}

}  // namespace
}  // namespace zyra_sim
