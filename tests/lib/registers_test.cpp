// Radio register reads and writes: frames, the caller's timeouts, the
// length check and the bounds of the command buffer.
#include <numeric>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

Bytes counting(size_t size)
{
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    return bytes;
}

using RegisterCommands = UnitTest;

TEST_F(RegisterCommands, WriteSendsAddressCountAndDataLittleEndian)
{
    Bytes data{0xDE, 0xAD, 0xBE};
    ASSERT_EQ(vx_zyra_write_mac_reg(&h, 0x1234, data.data(), data.size(), 10), 0);
    EXPECT_EQ(payloadsSent(wire::MAC_REG_WRITE), (std::vector<Bytes>{Bytes{0x34, 0x12, 0x03, 0x00, 0xDE, 0xAD, 0xBE}}));
    EXPECT_EQ(unit->readRegisters(0x1234, 3), data);
}

TEST_F(RegisterCommands, WritesUpTo55BytesFillTheCommandBufferLongerOnesAreRefused)
{
    Bytes data = counting(56);
    EXPECT_EQ(vx_zyra_write_mac_reg(&h, 0x0200, data.data(), data.size(), 10), LIBUSB_ERROR_INVALID_PARAM);
    EXPECT_TRUE(unit->frames().empty());

    data.pop_back();
    ASSERT_EQ(vx_zyra_write_mac_reg(&h, 0x0200, data.data(), data.size(), 10), 0);
    ASSERT_EQ(unit->frames().size(), 1u);
    EXPECT_EQ(unit->frames()[0].bytes.size(), 64u);
    EXPECT_EQ(unit->readRegisters(0x0200, 55), data);
}

TEST_F(RegisterCommands, ReadSendsAsManyZeroBytesAsItAsksFor)
{
    unit->writeRegisters(0x0040, {9, 8, 7, 6, 5});
    uint8_t data[5] = {};
    ASSERT_EQ(vx_zyra_read_mac_reg(&h, 0x0040, data, sizeof data, 10), 0);
    EXPECT_EQ(Bytes(data, data + 5), (Bytes{9, 8, 7, 6, 5}));
    EXPECT_EQ(payloadsSent(wire::MAC_REG_READ),
              (std::vector<Bytes>{Bytes{0x40, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}}));
}

TEST_F(RegisterCommands, ReadAnsweredWithAnotherLengthReturnsTwoAndLeavesTheData)
{
    unit->onCommand(wire::MAC_REG_READ, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) {
        u.respond(wire::MAC_REG_READ, {1, 2, 3});
    });
    uint8_t data[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(vx_zyra_read_mac_reg(&h, 0x0010, data, sizeof data, 10), 2);
    EXPECT_EQ(Bytes(data, data + 4), Bytes(4, 0xEE));
}

TEST_F(RegisterCommands, ReadLongerThanTheResponseBufferIsRefused)
{
    uint8_t data[65];
    EXPECT_EQ(vx_zyra_read_mac_reg(&h, 0x0030, data, sizeof data, 10), LIBUSB_ERROR_INVALID_PARAM);
    EXPECT_TRUE(unit->frames().empty());
}

TEST_F(RegisterCommands, SendAndReceiveUseTheCallersTimeout)
{
    unit->silenceCommand(wire::MAC_REG_READ);
    uint8_t data[4];
    EXPECT_EQ(vx_zyra_read_mac_reg(&h, 0x0010, data, sizeof data, 3), LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(nowMs(), 1000 + 3000) << "a one-second drain, then the caller's 3 s for the answer";
}

TEST_F(RegisterCommands, FailuresReturnTheTransportsResultUnchanged)
{
    uint8_t data[4] = {1, 2, 3, 4};
    chatterInsteadOfAnswering(wire::MAC_REG_WRITE);
    EXPECT_EQ(vx_zyra_write_mac_reg(&h, 0x0010, data, sizeof data, 10), DEADLINE_PASSED);

    loseUnitAfterTheDrain();
    EXPECT_EQ(vx_zyra_read_mac_reg(&h, 0x0010, data, sizeof data, 10), LIBUSB_ERROR_NO_DEVICE) << "a failed send";
    EXPECT_TRUE(unit->framesWithCode(wire::MAC_REG_READ).empty());
    EXPECT_EQ(vx_zyra_write_mac_reg(&h, 0x0010, data, sizeof data, 10), LIBUSB_ERROR_NO_DEVICE) << "a failed drain";
}

}  // namespace
}  // namespace zyra_test
