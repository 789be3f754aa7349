// A receiver's pairing menu driven by remote-control keys.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

const uint8_t keyDelete = 2;
const uint8_t keySelect = 8;
const uint8_t keyEsc = 11;
const uint8_t keyAdd = 30;

class ReceiverMenu : public SimTest
{
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        unit->setSide(2);
    }
    void press(std::initializer_list<uint8_t> keys)
    {
        for (uint8_t key : keys)
            ASSERT_TRUE(host.ask(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00, key})) << "key " << int(key);
    }
    void pair() { press({keyAdd, keySelect, keySelect, keySelect}); }
};

TEST_F(ReceiverMenu, TwoSelectsAfterAddWaitForConfirmationAndTheThirdPairs)
{
    press({keyAdd});
    EXPECT_EQ(unit->pairingStage(), PairingStage::Started);
    press({keySelect});
    EXPECT_EQ(unit->pairingStage(), PairingStage::Started);
    press({keySelect});
    EXPECT_EQ(unit->pairingStage(), PairingStage::AwaitingConfirmation);
    EXPECT_FALSE(unit->paired()) << "not paired before the confirming select";
    press({keySelect});
    EXPECT_TRUE(unit->paired());
    EXPECT_EQ(unit->pairingStage(), PairingStage::Idle) << "the menu closes once paired";
}

TEST_F(ReceiverMenu, SelectsWithoutAnOpenMenuPairNothing)
{
    press({keySelect, keySelect, keySelect, keySelect});
    EXPECT_FALSE(unit->paired());
    EXPECT_EQ(unit->pairingStage(), PairingStage::Idle);
}

TEST_F(ReceiverMenu, EscapeAbandonsAPairingWaitingForConfirmation)
{
    press({keyAdd, keySelect, keySelect, keyEsc, keySelect});
    EXPECT_FALSE(unit->paired());
    EXPECT_EQ(unit->pairingStage(), PairingStage::Idle);
}

TEST_F(ReceiverMenu, UnpairSequenceForgetsThePairing)
{
    pair();
    press({keyEsc, keyDelete, keySelect});
    EXPECT_TRUE(unit->paired()) << "one select only opens the prompt's choice";
    press({keySelect});
    EXPECT_FALSE(unit->paired());
}

TEST_F(ReceiverMenu, RestartClosesTheMenuAndKeepsThePairing)
{
    pair();
    press({keyAdd, keySelect, keySelect});
    ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
    reconnectAfterRestart();
    EXPECT_EQ(unit->pairingStage(), PairingStage::Idle);
    EXPECT_TRUE(unit->paired());
    press({keyDelete, keySelect, keySelect});
    EXPECT_FALSE(unit->paired()) << "the unit still takes keys after its restart";
}

TEST_F(ReceiverMenu, TransmitterOnlyRecordsTheKeys)
{
    unit->setSide(1);
    pair();
    EXPECT_FALSE(unit->paired());
    EXPECT_EQ(unit->pairingStage(), PairingStage::Idle);
    EXPECT_EQ(unit->keys(), (std::vector<uint8_t>{keyAdd, keySelect, keySelect, keySelect}));
}

}  // namespace
}  // namespace zyra_sim::test
