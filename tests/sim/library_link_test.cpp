// The unchanged library linked with the drop-in: its libusb calls and its
// clock land in the model.
#include <libusb.h>

#include <gtest/gtest.h>

#include "vx_zyra.h"
#include "wire_codes.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {
namespace {

class LibraryOverModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Bus::instance().reset();
        unit = std::make_shared<VirtualUnit>(2);
        Bus::instance().attach(unit);
        ASSERT_EQ(libusb_init(nullptr), 0);
        handle = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
        ASSERT_NE(handle, nullptr);
    }
    void TearDown() override
    {
        libusb_close(handle);
        libusb_exit(nullptr);
        Bus::instance().reset();
    }

    std::shared_ptr<VirtualUnit> unit;
    libusb_device_handle *handle = nullptr;
};

TEST_F(LibraryOverModel, CommandRoundTripReachesTheModel)
{
    uint8_t buf[64] = {0, 0, wire::GET_SIDE, 0x00};
    ASSERT_EQ(vx_zyra_send_cmd(handle, buf, 10), 0);
    ASSERT_EQ(unit->framesWithCode(wire::GET_SIDE).size(), 1u);
    EXPECT_EQ(unit->frames()[0].bytes, (Bytes{0xAA, 0xBB, 0x7A, 0x00, 0x6B}));
    buf[0] = wire::GET_SIDE;
    size_t len = 64;
    ASSERT_EQ(vx_zyra_recv_cmd(handle, buf, &len, 10), 0);
    EXPECT_EQ(len, 1u);
    EXPECT_EQ(buf[0], 2);
}

TEST_F(LibraryOverModel, DrainWaitsInVirtualTime)
{
    uint8_t buf[64] = {};
    unit->respond(0x42, {1, 2, 3});
    ASSERT_EQ(vx_zyra_clear_cmd(handle, buf), 0);
    EXPECT_EQ(Clock::instance().nowMs(), 1000) << "the final empty read waits its 1000 ms, virtually";
    EXPECT_EQ(unit->pendingBlocks(), 0u);
}

}  // namespace
}  // namespace zyra_sim
