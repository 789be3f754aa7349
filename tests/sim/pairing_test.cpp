// A receiver's pairing menu driven by remote-control keys, and the state
// directory's choice between a transmitter and a receiver for the demo.
#include <cstdlib>
#include <filesystem>
#include <fstream>

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

// The unit libusb_init attaches with the state directory's unit.side.
class SideFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Bus::instance().reset();
        dir = std::filesystem::temp_directory_path() /
              ("zyra_sim_side_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        Bus::instance().setStateDir(dir.string());
    }
    void TearDown() override
    {
        unsetenv("ZYRA_SIM_SIDE");
        Bus::instance().reset();
        std::filesystem::remove_all(dir);
    }
    std::shared_ptr<VirtualUnit> attachedAfterInit(const char *side)
    {
        std::ofstream(dir / "unit.side") << side << "\n";
        EXPECT_EQ(libusb_init(nullptr), 0);
        libusb_exit(nullptr);
        return Bus::instance().unit();
    }

    std::filesystem::path dir;
};

TEST_F(SideFile, EachSideKeepsItsOwnUnitAcrossSwaps)
{
    auto tx = attachedAfterInit("tx");
    ASSERT_NE(tx, nullptr);
    EXPECT_EQ(tx->side(), 1);
    tx->setStorage(8, {2});
    auto rx = attachedAfterInit("rx");
    ASSERT_NE(rx, nullptr);
    EXPECT_EQ(rx->side(), 2);
    EXPECT_EQ(attachedAfterInit("tx"), tx) << "the transmitter comes back with what was stored in it";
    EXPECT_EQ(tx->storage(8), Bytes{2});
    EXPECT_EQ(attachedAfterInit("2"), rx);
}

TEST_F(SideFile, TheUnitOfTheSideVariableIsItsSidesUnit)
{
    setenv("ZYRA_SIM_SIDE", "rx", 1);
    ASSERT_EQ(libusb_init(nullptr), 0);
    libusb_exit(nullptr);
    auto first = Bus::instance().unit();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(attachedAfterInit("tx")->side(), 1) << "the file wins over the variable";
    EXPECT_EQ(attachedAfterInit("rx"), first);
}

TEST_F(SideFile, AUnitAttachedByCodeStays)
{
    auto unit = std::make_shared<VirtualUnit>(1);
    Bus::instance().attach(unit);
    EXPECT_EQ(attachedAfterInit("rx"), unit);
}

}  // namespace
}  // namespace zyra_sim::test
