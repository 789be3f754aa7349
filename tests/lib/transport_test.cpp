// Command frames on the wire, unframed sends, draining stale input and the
// hexadecimal byte parser.
#include "unit_fixture.h"

namespace zyra_test {
namespace {

using FramesOnTheWire = UnitTest;

TEST_F(FramesOnTheWire, CommandWithoutPayloadIsFiveBytesWithXorChecksum)
{
    // Prefix and checksum positions hold junk: send_cmd must write them.
    uint8_t cmd[64] = {0x11, 0x22, wire::GET_SIDE, 0x00, 0x99};
    ASSERT_EQ(vx_zyra_send_cmd(h.devh, cmd, 10), 0);
    ASSERT_EQ(unit->frames().size(), 1u);
    EXPECT_EQ(unit->frames()[0].bytes, (Bytes{0xAA, 0xBB, 0x7A, 0x00, 0x6B}));
}

TEST_F(FramesOnTheWire, RawDataGoesOutUnchangedInOneTransfer)
{
    uint8_t data[] = {0xAA, 0x01, 0x02, 0x03, 0xFF};
    ASSERT_EQ(vx_zyra_send_raw(h.devh, data, sizeof data, 10), 0);
    ASSERT_EQ(unit->frames().size(), 1u);
    EXPECT_EQ(unit->frames()[0].bytes, Bytes(data, data + sizeof data));
}

using Drain = UnitTest;

TEST_F(Drain, ReadsEverythingPendingAndEndsWithAnEmptyRead)
{
    unit->pushStream(Bytes(150, 0x33));
    unit->respond(wire::GET_SIDE, {1});
    uint8_t buf[64];
    EXPECT_EQ(vx_zyra_clear_cmd(h.devh, buf), 0);
    EXPECT_EQ(unit->pendingBlocks(), 0u);
    EXPECT_EQ(nowMs(), 1000) << "the empty read that ends a drain waits its whole second";
}

TEST_F(Drain, EndsAtOnceOnAZeroLengthPacket)
{
    unit->setEmptyIn(zyra_sim::EmptyIn::ZeroLengthPacket);
    unit->respond(wire::GET_SIDE, {1});
    uint8_t buf[64];
    EXPECT_EQ(vx_zyra_clear_cmd(h.devh, buf), 0);
    EXPECT_EQ(unit->pendingBlocks(), 0u);
    EXPECT_LT(nowMs(), 1000);
}

TEST_F(Drain, StopsAgainstAUnitThatNeverStopsTalking)
{
    unit->setIdleNoise(100);
    uint8_t buf[64];
    EXPECT_EQ(vx_zyra_clear_cmd(h.devh, buf), 0);
    EXPECT_GE(nowMs(), 10'000) << "the drain gave up before its limit";
    EXPECT_LE(nowMs(), 11'000) << "the drain kept going past its limit";
}

struct HexCase {
    const char *pair;
    uint8_t value;
};

class HexByte : public ::testing::TestWithParam<HexCase>
{
};

TEST_P(HexByte, ParsesTheTwoCharacters)
{
    // Exactly two characters, not terminated: nothing past them is read.
    const char pair[2] = {GetParam().pair[0], GetParam().pair[1]};
    EXPECT_EQ(vx_zyra_read_hex_byte(pair), GetParam().value) << "for \"" << GetParam().pair << '"';
}

INSTANTIATE_TEST_SUITE_P(Digits, HexByte,
                         ::testing::Values(HexCase{"1F", 31}, HexCase{"1f", 31}, HexCase{"00", 0}, HexCase{"FF", 255},
                                           HexCase{"a0", 160}, HexCase{"9b", 155}));
INSTANTIATE_TEST_SUITE_P(StopsAtANonDigit, HexByte,
                         ::testing::Values(HexCase{"zz", 0}, HexCase{"7g", 7}, HexCase{"g7", 0}, HexCase{" 5", 0},
                                           HexCase{"-1", 0}));
INSTANTIATE_TEST_SUITE_P(TopBitCharacterIsTheValue, HexByte,
                         ::testing::Values(HexCase{"\x85"
                                                   "1",
                                                   0x85},
                                           HexCase{"1\xF0", 0xF0}, HexCase{"\xC3\xA9", 0xC3}));

}  // namespace
}  // namespace zyra_test
