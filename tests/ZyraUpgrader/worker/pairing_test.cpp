// pairDevice and confirmPair against a virtual receiver: what each device
// type leads to, the connect retries, the storage renewed around the
// user's configuration, and every failure with its code.
#include "wire_codes.h"
#include "worker_fixture.h"

#include <algorithm>

namespace {

const uint8_t irCommand = wire::IR_COMMAND;
const uint8_t getSide = wire::GET_SIDE;
const uint8_t storageRestore = wire::STORAGE_RESTORE;
const uint8_t storageSet = wire::STORAGE_SET;
const uint8_t keySelect = 8;
const uint8_t keyAdd = 30;
const zyra_sim::Bytes userChannels(28, 0x5A);

const QString connectReceiver = "Please, connect a Receiver";
const QString readInfoFailed = "Error while Reading ZYRA info";

class Pairing : public WorkerFixture
{
protected:
    // A unit of that side whose user has set region 6, broadcast mode and
    // their own channels.
    std::shared_ptr<zyra_sim::VirtualUnit> userUnit(uint8_t side)
    {
        auto unit = attachUnit(side);
        const bool tx = side == VX_ZYRA_TX;
        unit->setStorage(1, {6});
        unit->setStorage(tx ? 8 : 7, {2});
        unit->setStorage(tx ? 127 : 118, userChannels);
        return unit;
    }

    // The unit's side after its first restart, as if another unit came back.
    static void sideAfterRestart(zyra_sim::VirtualUnit &unit, std::optional<uint8_t> side)
    {
        unit.onCommand(getSide, [side](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
            if (u.restartCount() == 0)
                u.handleNormally(frame);
            else if (side)
                u.respond(getSide, {*side});
        });
    }

    // The unit ignores the key press number `press` (from 1).
    static void leaveKeyUnanswered(zyra_sim::VirtualUnit &unit, int press)
    {
        auto presses = std::make_shared<int>(0);
        unit.onCommand(irCommand, [presses, press](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
            if (++*presses != press)
                u.handleNormally(frame);
        });
    }

    int sleepsOf(int64_t ms) const
    {
        const std::vector<int64_t> sleeps = zyra_sim::Clock::instance().sleeps();
        return static_cast<int>(std::count(sleeps.begin(), sleeps.end(), ms));
    }

    // The unit took no part in a pairing: nothing written, restored,
    // restarted or pressed.
    static void expectUntouched(const zyra_sim::VirtualUnit &unit)
    {
        EXPECT_TRUE(unit.framesWithCode(storageSet).empty()) << "no storage cell may be written";
        EXPECT_EQ(unit.restoreCount(), 0);
        EXPECT_EQ(unit.restartCount(), 0);
        EXPECT_TRUE(unit.keys().empty());
    }

    void expectSessionClosed() const
    {
        EXPECT_EQ(handle.devh, nullptr) << "the session must be closed";
        EXPECT_EQ(zyra_sim::Bus::instance().openHandles(), 0);
    }
};

class TransmitterType : public Pairing, public testing::WithParamInterface<int>
{
};

TEST_P(TransmitterType, IsRefusedBeforeAnyUsbCall)
{
    worker->deviceType = GetParam();
    auto unit = userUnit(VX_ZYRA_TX);
    worker->pairDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(0, connectReceiver)});
    EXPECT_EQ(zyra_sim::Bus::instance().initCount(), 0) << "no library call at all";
    EXPECT_EQ(zyra_sim::Bus::instance().openAttempts(), 0);
}

INSTANTIATE_TEST_SUITE_P(HdmiSdi2K, TransmitterType, testing::Values(0, 1, 4));

class ReceiverType : public Pairing, public testing::WithParamInterface<int>
{
};

TEST_P(ReceiverType, UnitIsRenewedKeepingTheUserConfigurationAndLeftWaitingForConfirmation)
{
    const int type = GetParam();
    const bool is2K = type == 5;
    worker->deviceType = type;
    auto unit = userUnit(VX_ZYRA_RX);
    worker->pairDevice();

    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500", "pairReady"}));
    EXPECT_EQ(unit->restoreCount(), 1);
    EXPECT_EQ(unit->storage(20), zyra_sim::Bytes{2}) << "storage.ini's receiver values are written";
    EXPECT_EQ(unit->storage(22), zyra_sim::Bytes{7});
    EXPECT_EQ(unit->storage(1), zyra_sim::Bytes{6}) << "the user's region survives the restore";
    if (is2K) {
        EXPECT_EQ(unit->storage(118), userChannels) << "a 2K receiver keeps its channels";
        EXPECT_EQ(unit->storage(7), zyra_sim::Bytes{4}) << "a 2K receiver pairs in unicast";
        const std::vector<uint16_t> ids = storageIds(*unit, storageSet);
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(ids.back(), 7) << "unicast is forced after the user's mode was written back";
    } else {
        const std::vector<uint16_t> ids = storageIds(*unit, storageSet);
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 7), 0) << "HDMI and SDI receivers keep no transmission mode";
    }
    EXPECT_EQ(unit->restartCount(), 1);
    EXPECT_EQ(unit->keys(), (std::vector<uint8_t>{keyAdd, keySelect, keySelect}));
    EXPECT_EQ(unit->pairingStage(), zyra_sim::PairingStage::AwaitingConfirmation);
    EXPECT_FALSE(unit->paired()) << "pairing waits for the user's confirmation";
    EXPECT_FALSE(worker->pairingInProgress);
    expectSessionClosed();
}

TEST_P(ReceiverType, TransmitterAttachedIsLeftUntouched)
{
    worker->deviceType = GetParam();
    auto unit = userUnit(VX_ZYRA_TX);
    worker->pairDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(1, connectReceiver)});
    expectUntouched(*unit);
    EXPECT_EQ(unit->storage(8), zyra_sim::Bytes{2}) << "the transmitter keeps its mode";
    expectSessionClosed();
}

INSTANTIATE_TEST_SUITE_P(HdmiSdi2K, ReceiverType, testing::Values(2, 3, 5));

TEST_F(Pairing, TwoKReceiverAlreadyInUnicastIsStillForcedToIt)
{
    worker->deviceType = 5;
    auto unit = userUnit(VX_ZYRA_RX);
    unit->setStorage(7, {4});
    worker->pairDevice();
    const std::vector<uint16_t> ids = storageIds(*unit, storageSet);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 7), 2) << "written back, then forced";
    EXPECT_EQ(log.events().last(), "pairReady");
}

TEST_F(Pairing, ConnectSucceedingOnTheThirdRetryGoesOn)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    unit->dropOffBus(0, 3);
    worker->pairDevice();
    EXPECT_EQ(log.events().last(), "pairReady");
    EXPECT_EQ(sleepsOf(6000), 3) << "a 6 s pause after each retry, the successful one included";
}

TEST_F(Pairing, UnitThatNeverAppearsIsGivenUpAfterElevenRetries)
{
    worker->deviceType = 3;
    worker->pairDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(0, "Error while connecting to ZYRA")});
    EXPECT_EQ(zyra_sim::Bus::instance().openAttempts(), 12);
    EXPECT_EQ(sleepsOf(6000), 11);
    EXPECT_GE(virtualSeconds(), 66);
    expectSessionClosed();
}

TEST_F(Pairing, UnitWhoseSideCannotBeReadIsLeftUntouched)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    unit->silenceCommand(getSide);
    worker->pairDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(1, readInfoFailed)});
    expectUntouched(*unit);
    expectSessionClosed();
}

TEST_F(Pairing, UnitUnreadableAfterTheRestartIsNotPaired)
{
    worker->deviceType = 3;
    auto unit = userUnit(VX_ZYRA_RX);
    sideAfterRestart(*unit, std::nullopt);
    worker->pairDevice();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500", errorEvent(1, readInfoFailed)}));
    EXPECT_TRUE(unit->keys().empty());
    expectSessionClosed();
}

TEST_F(Pairing, TransmitterAfterTheRestartIsNotPaired)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    sideAfterRestart(*unit, VX_ZYRA_TX);
    worker->pairDevice();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500", errorEvent(1, connectReceiver)}));
    EXPECT_TRUE(unit->keys().empty());
    expectSessionClosed();
}

TEST_F(Pairing, UnicastRefusedRestartsTheUnitAndReportsBothErrors)
{
    worker->deviceType = 5;
    auto unit = userUnit(VX_ZYRA_RX);
    unit->onCommand(storageSet, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        if (frame.payload.at(0) != 7)
            u.handleNormally(frame);
    });
    worker->pairDevice();
    // The refused mode cell also fails the write-back of the user's mode.
    EXPECT_EQ(log.events(), (QStringList{"notKept NOTE: The transmission mode could not be written back to the device.",
                                         "finished", "progress 1500", errorEvent(0, "Error setting to Unicast Mode"),
                                         errorEvent(1, readInfoFailed)}));
    EXPECT_EQ(unit->restartCount(), 1);
    EXPECT_TRUE(unit->keys().empty()) << "no pairing on a unit in the wrong mode";
    expectSessionClosed();
}

TEST_F(Pairing, UnansweredSelectKeyIsAPairingError)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    leaveKeyUnanswered(*unit, 3);
    worker->pairDevice();
    EXPECT_EQ(log.events(), (QStringList{"finished", "progress 1500", errorEvent(1, "Error while pairing ZYRA")}));
    expectSessionClosed();
}

TEST_F(Pairing, FirstSelectKeyUnansweredStillPairs)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    leaveKeyUnanswered(*unit, 2);
    worker->pairDevice();
    EXPECT_EQ(log.events().last(), "pairReady") << "only the second select key's answer counts";
}

TEST_F(Pairing, StorageErrorIsReportedAndThePairingGoesOn)
{
    worker->deviceType = 3;
    auto unit = userUnit(VX_ZYRA_RX);
    unit->silenceCommand(storageRestore);
    worker->pairDevice();
    EXPECT_EQ(log.events(),
              (QStringList{errorEvent(45, "Error updating device configuration\n\nError Code: 45"), "pairReady"}));
    EXPECT_EQ(unit->pairingStage(), zyra_sim::PairingStage::AwaitingConfirmation);
}

TEST_F(Pairing, ConfirmationPairsTheWaitingReceiver)
{
    worker->deviceType = 2;
    auto unit = userUnit(VX_ZYRA_RX);
    worker->pairDevice();
    log.clear();
    worker->confirmPair();
    EXPECT_EQ(log.events(), QStringList{"finished"});
    EXPECT_TRUE(unit->paired());
    EXPECT_EQ(unit->keys(), (std::vector<uint8_t>{keyAdd, keySelect, keySelect, keySelect}));
    expectSessionClosed();
}

TEST_F(Pairing, ConfirmationWithoutAUnitOnlyFinishes)
{
    worker->confirmPair();
    EXPECT_EQ(log.events(), QStringList{"finished"});
    EXPECT_EQ(zyra_sim::Bus::instance().openAttempts(), 1) << "no retry";
    EXPECT_TRUE(zyra_sim::Clock::instance().sleeps().empty());
}

}  // namespace
