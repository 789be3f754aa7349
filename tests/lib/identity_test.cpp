// The unit's identity: side with its retries, versions, serial, signature.
#include <algorithm>
#include <array>
#include <string>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

class GetSide : public UnitTest
{
protected:
    // The unit answers GET_SIDE with these payloads in turn, the last again.
    void answerInTurn(std::vector<Bytes> answers)
    {
        // The unit calls a copy of its handler: the count lives outside.
        auto asked = std::make_shared<size_t>(0);
        unit->onCommand(wire::GET_SIDE, [answers, asked](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) {
            u.respond(wire::GET_SIDE, answers[std::min((*asked)++, answers.size() - 1)]);
        });
    }
};

TEST_F(GetSide, UnitAnsweringZeroIsAskedTenTimesWithoutSleeping)
{
    unit->setSide(0);
    EXPECT_EQ(vx_zyra_get_side(&h), 1);
    EXPECT_EQ(h.side, VX_ZYRA_UNKNOWN);
    EXPECT_EQ(payloadsSent(wire::GET_SIDE).size(), 10u);
    EXPECT_TRUE(clock().sleeps().empty());
}

TEST_F(GetSide, SilentUnitIsRetriedEveryFiveSeconds)
{
    unit->silenceCommand(wire::GET_SIDE);
    EXPECT_EQ(vx_zyra_get_side(&h), 1);
    EXPECT_EQ(payloadsSent(wire::GET_SIDE).size(), 10u);
    EXPECT_EQ(clock().sleeps(), std::vector<int64_t>(10, 5000));
}

TEST_F(GetSide, AnswersOfAnotherLengthOrZeroAreAskedAgain)
{
    answerInTurn({{5, 5}, {0}, {2}});
    EXPECT_EQ(vx_zyra_get_side(&h), 0);
    EXPECT_EQ(h.side, VX_ZYRA_RX);
    EXPECT_EQ(payloadsSent(wire::GET_SIDE).size(), 3u);
}

TEST_F(GetSide, EmptyAnswerDoesNotShrinkTheNextAnswersCapacity)
{
    answerInTurn({{}, {1}});
    EXPECT_EQ(vx_zyra_get_side(&h), 0);
    EXPECT_EQ(h.side, VX_ZYRA_TX) << "the side must come from the answer, not from a stale buffer byte";
}

class Identity : public UnitTest
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        unit->setSide(2);
        unit->setAppVersion(7, 8, 9);
        unit->setMacVersion(1, 2, 3, 4);
        unit->setSignature("SIGNATURE TEXT");
    }
};

TEST_F(Identity, GetInfoReadsSideVersionsAndSignatureButNotTheSerial)
{
    ASSERT_EQ(vx_zyra_get_info(&h), 0);
    EXPECT_EQ(h.side, VX_ZYRA_RX);
    EXPECT_EQ(h.version.app.major, 7);
    EXPECT_EQ(h.version.app.minor, 8);
    EXPECT_EQ(h.version.app.debug, 9);
    EXPECT_EQ(h.version.mac.major, 1);
    EXPECT_EQ(h.version.mac.minor, 2);
    EXPECT_EQ(h.version.mac.debug, 3);
    EXPECT_EQ(h.version.mac.build, 4);
    EXPECT_STREQ(h.signature, "SIGNATURE TEXT");
    EXPECT_EQ(std::count(h.serial, h.serial + sizeof h.serial, 0), 64);
}

TEST_F(Identity, GetInfoFailsWhenTheSideStaysUnknown)
{
    unit->setSide(0);
    expectFailure(h, vx_zyra_get_info(&h), 5, "Unable to read from ZYRA device");
    EXPECT_TRUE(payloadsSent(wire::GET_APP_VERSION).empty());
}

TEST_F(Identity, AppVersionOfTwoBytesLeavesTheFieldsAndSucceeds)
{
    unit->onCommand(wire::GET_APP_VERSION, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) {
        u.respond(wire::GET_APP_VERSION, {7, 8});
    });
    EXPECT_EQ(vx_zyra_version_app(&h), 0);
    EXPECT_EQ(h.version.app.major, 0);
    EXPECT_EQ(h.version.app.minor, 0);
}

TEST_F(Identity, ReadersReturnTheTransportsResultUnchanged)
{
    unit->silenceCommand(wire::GET_APP_VERSION);
    EXPECT_EQ(vx_zyra_version_app(&h), LIBUSB_ERROR_TIMEOUT);
    chatterInsteadOfAnswering(wire::GET_SIGNATURE);
    EXPECT_EQ(vx_zyra_signature(&h), DEADLINE_PASSED);
    unit->dropOffBus(60'000);
    EXPECT_EQ(vx_zyra_version_mac(&h), LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(vx_zyra_board_serial(&h), LIBUSB_ERROR_NO_DEVICE);
    EXPECT_STREQ(h.error_msg, "") << "identity readers set no message";
}

TEST_F(Identity, MacVersionIsFourBytesOfRegister0x0010)
{
    EXPECT_EQ(vx_zyra_version_mac(&h), 0);
    EXPECT_EQ(payloadsSent(wire::MAC_REG_READ),
              (std::vector<Bytes>{Bytes{0x10, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(h.version.mac.build, 4);
}

TEST_F(Identity, BoardSerialIsSixtyFourBytesOfRegister0x0030InA73ByteFrame)
{
    std::array<uint8_t, 64> serial;
    for (size_t i = 0; i < serial.size(); ++i)
        serial[i] = static_cast<uint8_t>('A' + i % 26);
    unit->setBoardSerial(serial);

    EXPECT_EQ(vx_zyra_board_serial(&h), 0);
    EXPECT_TRUE(std::equal(serial.begin(), serial.end(), reinterpret_cast<const uint8_t *>(h.serial)));
    const auto frames = unit->framesWithCode(wire::MAC_REG_READ);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes.size(), 73u);
    EXPECT_EQ(frames[0].bytes[3], 68);
    Bytes expected{0x30, 0x00, 0x40, 0x00};
    expected.resize(68, 0x00);
    EXPECT_EQ(frames[0].payload, expected);
}

TEST_F(Identity, SignatureOfSixtyFourOrMoreBytesKeepsSixtyThreeAndTheNul)
{
    const std::string text(80, 'S');
    unit->setSignature(text);
    EXPECT_EQ(vx_zyra_signature(&h), 0);
    EXPECT_EQ(std::string(h.signature), text.substr(0, 63));
}

}  // namespace
}  // namespace zyra_test
