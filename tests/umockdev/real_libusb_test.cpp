// The unchanged library linked to the real libusb-1.0, talking to the
// virtual unit through umockdev's emulated usbfs. Run under umockdev-wrapper.
// libusb's own transfer timeouts are real here; the library's sleeps are
// virtual.
#include <gtest/gtest.h>
#include <libusb.h>

#include <memory>
#include <vector>

#include "library_clock.h"
#include "model_port.h"
#include "usbfs_device.h"
#include "vx_zyra.h"
#include "wire_codes.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"

namespace {

using zyra_sim::Bus;
using zyra_sim::Clock;
using zyra_sim::EmptyIn;
using zyra_sim::VirtualUnit;
using zyra_umockdev::ModelPort;
using zyra_umockdev::UsbfsDevice;

class RealLibusb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::instance().reset();
        Bus::instance().reset();
        unit_ = std::make_shared<VirtualUnit>(VX_ZYRA_RX);
        port_ = std::make_unique<ModelPort>(unit_);
        device_ = std::make_unique<UsbfsDevice>(*port_);
        if (!UsbfsDevice::emulated())
            GTEST_SKIP() << "not running under umockdev-wrapper: the real-libusb tests need umockdev";
        port_->setEmptyIn(EmptyIn::ZeroLengthPacket);
        device_->plug();
        zyra_umockdev::setAfterLibrarySleep([this] { device_->followUnit(); });
    }

    void TearDown() override
    {
        if (h_.devh)
            vx_zyra_disconnect(&h_);
        zyra_umockdev::setAfterLibrarySleep(nullptr);
        device_.reset();
        port_.reset();
    }

    std::shared_ptr<VirtualUnit> unit_;
    std::unique_ptr<ModelPort> port_;
    std::unique_ptr<UsbfsDevice> device_;
    vx_zyra_t h_{};
};

TEST_F(RealLibusb, ConnectClaimsInterfaceZeroAndDisconnectReleasesIt)
{
    ASSERT_EQ(vx_zyra_connect(&h_), 0) << h_.error_msg;
    EXPECT_NE(h_.devh, nullptr);
    EXPECT_EQ(Bus::instance().claimedInterfaces(), 1) << "the unit should see interface 0 claimed";

    EXPECT_EQ(vx_zyra_disconnect(&h_), 0) << h_.error_msg;
    EXPECT_EQ(h_.devh, nullptr);
    EXPECT_EQ(Bus::instance().claimedInterfaces(), 0) << "disconnect should release interface 0";
}

TEST_F(RealLibusb, RefusedClaimFailsConnectWithCodeThree)
{
    unit_->refuseClaim(1);

    EXPECT_EQ(vx_zyra_connect(&h_), 1);
    EXPECT_EQ(h_.error, 3);
    EXPECT_STREQ(h_.error_msg, "Failed to attach to ZYRA device");
    EXPECT_EQ(h_.devh, nullptr);
}

TEST_F(RealLibusb, GetInfoReadsTheIdentityThroughRealTransfers)
{
    unit_->setAppVersion(4, 5, 6);
    unit_->setMacVersion(7, 8, 9, 10);
    unit_->setSignature("ZYRA RX 2.1");
    ASSERT_EQ(vx_zyra_connect(&h_), 0) << h_.error_msg;

    ASSERT_EQ(vx_zyra_get_info(&h_), 0) << h_.error_msg;

    EXPECT_EQ(h_.side, VX_ZYRA_RX);
    EXPECT_EQ(h_.version.app.major, 4);
    EXPECT_EQ(h_.version.app.minor, 5);
    EXPECT_EQ(h_.version.app.debug, 6);
    EXPECT_EQ(h_.version.mac.build, 10);
    EXPECT_STREQ(h_.signature, "ZYRA RX 2.1");
    const std::vector<zyra_sim::ReceivedFrame> side = unit_->framesWithCode(wire::GET_SIDE);
    ASSERT_FALSE(side.empty());
    EXPECT_EQ(side.front().bytes, (zyra_sim::Bytes{0xAA, 0xBB, 0x7A, 0x00, 0x6B}))
        << "GET_SIDE should reach the unit byte for byte";
}

TEST_F(RealLibusb, InWithNothingToReadTimesOutWithMinusSeven)
{
    ASSERT_EQ(vx_zyra_connect(&h_), 0) << h_.error_msg;
    port_->setEmptyIn(EmptyIn::Nak);
    uint8_t buf[64] = {wire::GET_SIDE};
    size_t length = sizeof buf;

    EXPECT_EQ(vx_zyra_recv_cmd(h_.devh, buf, &length, 1), LIBUSB_ERROR_TIMEOUT);
}

TEST_F(RealLibusb, ReconnectWaitsForTheUnitToComeBackOnTheBus)
{
    ASSERT_EQ(vx_zyra_connect(&h_), 0) << h_.error_msg;
    Clock::instance().clearSleeps();
    // Gone once the host has reset it, back 7 s later: the opens after 2,
    // 4 and 6 s find nothing, the one after 8 s finds the unit.
    unit_->dropOffBus(7000);

    ASSERT_EQ(vx_zyra_reconnect(&h_), 0) << h_.error_msg;

    EXPECT_EQ(Clock::instance().sleeps(), (std::vector<int64_t>{2000, 2000, 2000, 2000, 5000}))
        << "expected the settle sleep, three failed opens 2 s apart, then the 5 s before get_info";
    EXPECT_EQ(h_.side, VX_ZYRA_RX);
    EXPECT_NE(h_.devh, nullptr);
}

// A second unit behind port 2: the library lists both by the port paths
// Linux gives them and opens the chosen one, the other never reached.
TEST_F(RealLibusb, OfTwoUnitsTheChosenPortIsOpened)
{
    auto chosen = std::make_shared<VirtualUnit>(VX_ZYRA_TX);
    ModelPort chosenPort(chosen, "1-2");
    chosenPort.setEmptyIn(EmptyIn::ZeroLengthPacket);
    UsbfsDevice chosenDevice(chosenPort, 2);
    chosenDevice.plug();

    char paths[3][VX_ZYRA_PORT_PATH_SIZE] = {};
    ASSERT_EQ(vx_zyra_list_units(paths, 3), 2);
    EXPECT_STREQ(paths[0], "1-1");
    EXPECT_STREQ(paths[1], "1-2");
    int bus = 0, address = 0;
    ASSERT_EQ(vx_zyra_usb_address("1-2", &bus, &address), 0);
    EXPECT_EQ(bus, 1);
    EXPECT_EQ(address, 2) << "the device number Linux gave";

    ASSERT_EQ(vx_zyra_connect_port(&h_, "1-2"), 0) << h_.error_msg;
    ASSERT_EQ(vx_zyra_get_info(&h_), 0) << h_.error_msg;
    EXPECT_EQ(h_.side, VX_ZYRA_TX);
    char port[VX_ZYRA_PORT_PATH_SIZE] = {};
    ASSERT_EQ(vx_zyra_port_path(&h_, port), 0);
    EXPECT_STREQ(port, "1-2");
    EXPECT_FALSE(chosen->frames().empty());
    EXPECT_TRUE(unit_->frames().empty()) << "the unit at 1-1 was never spoken to";
    vx_zyra_disconnect(&h_);
}

}  // namespace
