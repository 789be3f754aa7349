// Opening, closing and re-opening the session: every failure with its
// message and code, and libusb's use kept balanced.
#include <cstring>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

class Session : public ::testing::Test
{
protected:
    void SetUp() override { zyra_sim::Bus::instance().reset(); }
    void TearDown() override { zyra_sim::Bus::instance().reset(); }

    static zyra_sim::Bus &bus() { return zyra_sim::Bus::instance(); }

    std::shared_ptr<zyra_sim::VirtualUnit> attachUnit()
    {
        auto unit = std::make_shared<zyra_sim::VirtualUnit>();
        bus().attach(unit);
        return unit;
    }

    vx_zyra_t h{};
};

TEST_F(Session, ConnectClaimsAndClearsTheRecordDisconnectReleasesAndCloses)
{
    attachUnit();
    std::memset(&h, 0x5A, sizeof h);
    ASSERT_EQ(vx_zyra_connect(&h), 0);

    EXPECT_NE(h.devh, nullptr);
    EXPECT_EQ(bus().claimedInterfaces(), 1);
    EXPECT_EQ(h.side, 0);
    EXPECT_EQ(h.version.app.major, 0);
    EXPECT_EQ(h.signature[0], '\0');
    EXPECT_EQ(h.error_msg[0], '\0');
    EXPECT_EQ(h.error, 0);

    // Connecting the open record again closes its session first.
    ASSERT_EQ(vx_zyra_connect(&h), 0) << h.error_msg;
    EXPECT_EQ(bus().openHandles(), 1);
    EXPECT_EQ(bus().claimedInterfaces(), 1);

    EXPECT_EQ(vx_zyra_disconnect(&h), 0);
    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(bus().openHandles(), 0);
    EXPECT_EQ(bus().exitCount(), 2);
    EXPECT_EQ(bus().misuses(), 0);
}

TEST_F(Session, ConnectWithoutAUnitFailsAndEndsLibusb)
{
    expectFailure(h, vx_zyra_connect(&h), 2, "Failed to connect to ZYRA device");
    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(bus().initCount(), 1);
    EXPECT_EQ(bus().exitCount(), 1);
}

TEST_F(Session, ConnectWhoseClaimIsRefusedClosesAndEndsLibusb)
{
    attachUnit()->refuseClaim(1);
    expectFailure(h, vx_zyra_connect(&h), 3, "Failed to attach to ZYRA device");
    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(bus().openHandles(), 0);
    EXPECT_EQ(bus().exitCount(), bus().initCount());
}

TEST_F(Session, ConnectWhenLibusbCannotStartFails)
{
    attachUnit();
    bus().setInitFails(true);
    expectFailure(h, vx_zyra_connect(&h), 1, "Failed to setup USB interface");
    EXPECT_EQ(bus().openAttempts(), 0);
}

TEST_F(Session, NeverConnectedRecordCannotBeDisconnectedOrReconnected)
{
    expectFailure(h, vx_zyra_disconnect(&h), 1, "Invalid ZYRA device connection");
    h = vx_zyra_t{};
    expectFailure(h, vx_zyra_reconnect(&h), 1, "Invalid ZYRA device connection");
    EXPECT_EQ(vx_zyra_disconnect(nullptr), 1);
    EXPECT_EQ(bus().exitCount(), 0);
}

TEST_F(Session, DisconnectFromAVanishedUnitReportsTheFailedReleaseButStillCloses)
{
    auto unit = attachUnit();
    ASSERT_EQ(vx_zyra_connect(&h), 0);
    unit->dropOffBus(60'000);
    expectFailure(h, vx_zyra_disconnect(&h), 4, "Failed to disconnect from ZYRA device");
    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(bus().openHandles(), 0);
    EXPECT_EQ(bus().exitCount(), 1);
}

class Reconnect : public UnitTest
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        unit->setAppVersion(3, 1, 4);
        unit->setMacVersion(5, 9, 2, 6);
        unit->setSignature("RECONNECTED");
        unit->setSide(2);
    }

    // The unit restarts now and is back at the reconnect's open number
    // `opens` + 1: after the 2 s settle and `opens` waits of 2 s.
    void unitComesBackAfter(int opens) { unit->dropOffBus(2000 + 2000 * int64_t{opens}); }
};

TEST_F(Reconnect, SucceedsWhenTheUnitIsBackAtTheNinetiethAttemptAndRereadsTheIdentity)
{
    unitComesBackAfter(89);
    ASSERT_EQ(vx_zyra_reconnect(&h), 0) << h.error_msg;

    EXPECT_EQ(h.side, VX_ZYRA_RX);
    EXPECT_EQ(h.version.app.major, 3);
    EXPECT_EQ(h.version.app.debug, 4);
    EXPECT_EQ(h.version.mac.build, 6);
    EXPECT_STREQ(h.signature, "RECONNECTED");
    EXPECT_EQ(bus().claimedInterfaces(), 1);
    EXPECT_EQ(bus().resetCount(), 1);

    std::vector<int64_t> expected(1, 2000);
    expected.insert(expected.end(), 89, 2000);
    expected.push_back(5000);
    EXPECT_EQ(clock().sleeps(), expected) << "2 s settle, 2 s between opens, 5 s before the identity";
}

TEST_F(Reconnect, FailsAfterNinetyAttempts)
{
    unitComesBackAfter(90);
    expectFailure(h, vx_zyra_reconnect(&h), 2, "Failed to connect to ZYRA device");

    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(nowMs(), 182'000);
    EXPECT_EQ(bus().exitCount(), bus().initCount()) << "a failed reconnect ends libusb like a failed connect";
}

TEST_F(Reconnect, FailsWhenTheReturningUnitRefusesTheClaim)
{
    unitComesBackAfter(0);
    unit->refuseClaim(1);
    expectFailure(h, vx_zyra_reconnect(&h), 3, "Failed to attach to ZYRA device");
    EXPECT_EQ(h.devh, nullptr);
    EXPECT_EQ(bus().openHandles(), 0);
}

TEST_F(Reconnect, FailsWhenTheReturningUnitDoesNotTellItsSide)
{
    unitComesBackAfter(0);
    unit->setSide(0);
    expectFailure(h, vx_zyra_reconnect(&h), 1, "Unable to read from ZYRA device");
    EXPECT_NE(h.devh, nullptr) << "the session stays open for a disconnect";
}

}  // namespace
}  // namespace zyra_test
