// Control commands: their frames, the reconnect that ends each restart, the
// key presses of the receiver's menu and registration, with every failure's
// message, code and result.
#include <string>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr int64_t kNeverBackMs = 10 * 60 * 1000;

class ControlCommands : public UnitTest
{
protected:
    void expectFailure(int rc, uint8_t errorCode, const char *message)
    {
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(h.error, errorCode);
        EXPECT_STREQ(h.error_msg, message);
    }
};

using Restarts = ControlCommands;

TEST_F(Restarts, SystemRestartSendsItsFrameAndReconnectsToTheApplication)
{
    unit->setRunning(zyra_sim::Firmware::Bootloader);
    h.side = 0;
    ASSERT_EQ(vx_zyra_system_restart(&h), 0) << h.error_msg;
    const auto frames = unit->framesWithCode(wire::SYSTEM_RESTART);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xAA, 0xBB, 0xFF, 0x00, 0xEE}));
    EXPECT_EQ(unit->restartCount(), 1);
    EXPECT_EQ(unit->running(), zyra_sim::Firmware::Application);
    EXPECT_EQ(h.side, VX_ZYRA_TX) << "the identity is read again";
    EXPECT_NE(h.devh, nullptr);
}

TEST_F(Restarts, SystemRestartWhoseSendFailsStillReconnectsAndKeepsTheMessage)
{
    unit->dropOffBus(5000);
    EXPECT_EQ(vx_zyra_system_restart(&h), 0);
    EXPECT_EQ(h.error, 10);
    EXPECT_STREQ(h.error_msg, "Failed to send command to ZYRA device, attempting to reconnect");
    EXPECT_EQ(h.side, VX_ZYRA_TX);
}

TEST_F(Restarts, SystemRestartFailsWithTheReconnectsCodeWhenTheUnitStaysAway)
{
    unit->dropOffBusAt(wire::SYSTEM_RESTART, kNeverBackMs);
    expectFailure(vx_zyra_system_restart(&h), 2, "Failed to connect to ZYRA device");
}

TEST_F(Restarts, SystemRestartDoesNotNeedTheUnitsAnswer)
{
    unit->onCommand(wire::SYSTEM_RESTART,
                    [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) { u.dropOffBus(3000); });
    EXPECT_EQ(vx_zyra_system_restart(&h), 0) << h.error_msg;
    EXPECT_EQ(h.side, VX_ZYRA_TX);
}

TEST_F(Restarts, BootloaderRestartSendsItsFrameAndReconnectsToTheBootloader)
{
    ASSERT_EQ(vx_zyra_bootloader_restart(&h), 0) << h.error_msg;
    const auto frames = unit->framesWithCode(wire::BOOTLOADER_RESTART);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xAA, 0xBB, 0x90, 0x00, 0x81}));
    EXPECT_EQ(unit->running(), zyra_sim::Firmware::Bootloader);
    EXPECT_EQ(h.side, VX_ZYRA_TX);
}

TEST_F(Restarts, BootloaderRestartWhoseSendFailsStopsWithoutReconnecting)
{
    unit->dropOffBus(5000);
    const int resetsBefore = bus().resetCount();
    expectFailure(vx_zyra_bootloader_restart(&h), 10, "Failed to send command to ZYRA device");
    EXPECT_EQ(bus().resetCount(), resetsBefore);
}

TEST_F(Restarts, BootloaderRestartFailsWithTheReconnectsCodeWhenTheUnitStaysAway)
{
    unit->dropOffBusAt(wire::BOOTLOADER_RESTART, kNeverBackMs);
    expectFailure(vx_zyra_bootloader_restart(&h), 2, "Failed to connect to ZYRA device");
}

using KeyPresses = ControlCommands;

TEST_F(KeyPresses, KeyFrameCarriesTheFixedPrefixAndTheKeyCode)
{
    ASSERT_EQ(vx_zyra_send_ir_command(&h, IR_CMD_STATUS), 0) << h.error_msg;
    const auto frames = unit->framesWithCode(wire::IR_COMMAND);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xAA, 0xBB, 0x20, 0x07, 0xFF, 0x00, 0x00, 0x00, 0x08, 0x00, 0x7F, 0xBE}));
}

TEST_F(KeyPresses, AnswerUpToTwentySecondsLateIsAccepted)
{
    unit->answerLate(wire::IR_COMMAND, 19'000);
    EXPECT_EQ(vx_zyra_send_ir_command(&h, IR_CMD_UP), 0) << h.error_msg;
}

TEST_F(KeyPresses, SilentUnitFailsTheReceiveAfterTwentySeconds)
{
    unit->silenceCommand(wire::IR_COMMAND);
    const int64_t start = nowMs();
    expectFailure(vx_zyra_send_ir_command(&h, IR_CMD_UP), 11, "Failed to receive command response from ZYRA device");
    EXPECT_GE(nowMs() - start, 20'000);
}

TEST_F(KeyPresses, UnitOffTheBusFailsTheSend)
{
    unit->dropOffBus(kNeverBackMs);
    expectFailure(vx_zyra_send_ir_command(&h, IR_CMD_UP), 10, "Failed to send command to ZYRA device");
}

TEST_F(KeyPresses, PairingHelpersPressAddThenSelect)
{
    EXPECT_EQ(vx_zyra_rx_start_pairing(&h), 0);
    EXPECT_EQ(vx_zyra_rx_confirm_pairing(&h), 0);
    EXPECT_EQ(unit->keys(), (Bytes{IR_CMD_ADD, IR_CMD_SELECT}));
}

TEST_F(KeyPresses, PairingHelpersPassAFailedPressOn)
{
    unit->silenceCommand(wire::IR_COMMAND);
    expectFailure(vx_zyra_rx_start_pairing(&h), 11, "Failed to receive command response from ZYRA device");
    expectFailure(vx_zyra_rx_confirm_pairing(&h), 11, "Failed to receive command response from ZYRA device");
}

TEST_F(KeyPresses, UnpairPressesEscDeleteSelectSelectHalfASecondApart)
{
    EXPECT_EQ(vx_zyra_rx_unpair(&h), 0);
    EXPECT_EQ(unit->keys(), (Bytes{IR_CMD_ESC, IR_CMD_DELETE, IR_CMD_SELECT, IR_CMD_SELECT}));
    EXPECT_EQ(clock().sleeps(), (std::vector<int64_t>{500, 500, 500, 500}));
}

TEST_F(KeyPresses, UnpairGoesThroughEveryKeyWhenTheUnitIsSilent)
{
    unit->silenceCommand(wire::IR_COMMAND);
    EXPECT_EQ(vx_zyra_rx_unpair(&h), 0);
    EXPECT_EQ(unit->framesWithCode(wire::IR_COMMAND).size(), 4u);
}

using Registration = ControlCommands;

TEST_F(Registration, SendsItsFrameAndSucceedsOnTheAnswer)
{
    EXPECT_EQ(vx_zyra_start_registration(&h), 0);
    EXPECT_EQ(unit->registrationCount(), 1);
    const auto frames = unit->framesWithCode(wire::START_REGISTRATION);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xAA, 0xBB, 0x2A, 0x00, 0x3B}));
}

TEST_F(Registration, SilentUnitGivesTheTransfersTimeoutWithoutAMessage)
{
    unit->silenceCommand(wire::START_REGISTRATION);
    EXPECT_EQ(vx_zyra_start_registration(&h), LIBUSB_ERROR_TIMEOUT);
    EXPECT_STREQ(h.error_msg, "");
}

TEST_F(Registration, ChatterWithoutTheAnswerGivesTheDeadlineResult)
{
    chatterInsteadOfAnswering(wire::START_REGISTRATION);
    EXPECT_EQ(vx_zyra_start_registration(&h), DEADLINE_PASSED);
    EXPECT_STREQ(h.error_msg, "");
}

TEST_F(Registration, UnitOffTheBusFailsTheSend)
{
    unit->dropOffBus(kNeverBackMs);
    expectFailure(vx_zyra_start_registration(&h), 10, "Failed to send command to ZYRA device");
}

}  // namespace
}  // namespace zyra_test
