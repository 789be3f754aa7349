// The libusb calls as the drop-in answers them: opening, claiming, stale
// handles, and how an IN transfer waits in virtual time.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

using UsbSemantics = SimTest;

TEST_F(UsbSemantics, InitCanBeScriptedToFail)
{
    bus().setInitFails(true);
    EXPECT_EQ(libusb_init(nullptr), LIBUSB_ERROR_OTHER);
    bus().setInitFails(false);
    EXPECT_EQ(libusb_init(nullptr), 0);
    libusb_exit(nullptr);
    EXPECT_EQ(bus().initCount(), 2) << "the fixture's init and this one";
    EXPECT_EQ(bus().exitCount(), 1);
}

TEST_F(UsbSemantics, OpenFindsOnlyTheUnitsIds)
{
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, 0x22CA, 0x1112), nullptr);
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, 0x03EB, 0x1111), nullptr);
    bus().detach();
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    EXPECT_EQ(bus().openAttempts(), 4);
}

TEST_F(UsbSemantics, ListingIsNoOpenAttemptOfAUnitAwayForSomeOpens)
{
    unit->dropOffBus(0, 2);
    libusb_device **list = nullptr;
    for (int look = 0; look < 5; ++look) {
        EXPECT_EQ(libusb_get_device_list(nullptr, &list), 0);
        libusb_free_device_list(list, 1);
    }
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    ASSERT_EQ(libusb_get_device_list(nullptr, &list), 1) << "back after its second failed open";
    libusb_device_handle *handle = nullptr;
    EXPECT_EQ(libusb_open(list[0], &handle), 0);
    libusb_close(handle);
    libusb_free_device_list(list, 1);
}

TEST_F(UsbSemantics, EachOpenGivesAFreshHandle)
{
    libusb_device_handle *second = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, host.handle());
    EXPECT_EQ(bus().openHandles(), 2);
    libusb_close(second);
    EXPECT_EQ(bus().openHandles(), 1);
}

TEST_F(UsbSemantics, OpenBeforeInitIsAMisuse)
{
    host.disconnect();
    EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    EXPECT_EQ(bus().misuses(), 1);
}

TEST_F(UsbSemantics, RefusedClaimIsBusyThenGranted)
{
    host.disconnect();
    unit->refuseClaim(2);
    ASSERT_EQ(libusb_init(nullptr), 0);
    libusb_device_handle *handle = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(libusb_claim_interface(handle, 0), LIBUSB_ERROR_BUSY);
    EXPECT_EQ(libusb_claim_interface(handle, 0), LIBUSB_ERROR_BUSY);
    EXPECT_EQ(bus().claimedInterfaces(), 0);
    EXPECT_EQ(libusb_claim_interface(handle, 0), 0);
    EXPECT_EQ(bus().claimedInterfaces(), 1);
    EXPECT_EQ(libusb_claim_interface(handle, 1), LIBUSB_ERROR_NOT_FOUND) << "the unit has one interface";
    libusb_close(handle);
    EXPECT_EQ(bus().claimedInterfaces(), 0) << "closing gives up the claim";
    libusb_exit(nullptr);
}

TEST_F(UsbSemantics, ReleaseOfAnUnclaimedInterfaceFails)
{
    EXPECT_EQ(libusb_release_interface(host.handle(), 0), 0);
    EXPECT_EQ(libusb_release_interface(host.handle(), 0), LIBUSB_ERROR_NOT_FOUND);
}

TEST_F(UsbSemantics, HandleFromBeforeADropOutIsStale)
{
    unit->dropOffBus(1000);
    uint8_t byte = 0;
    int got = 0;
    EXPECT_EQ(libusb_bulk_transfer(host.handle(), wire::ENDPOINT_OUT, &byte, 1, &got, 1000), LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(libusb_reset_device(host.handle()), LIBUSB_ERROR_NOT_FOUND);
    clock().advanceMs(1000);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE) << "the old handle stays stale after the return";
    EXPECT_EQ(bus().resetCount(), 1);
}

TEST_F(UsbSemantics, ResetOfALiveHandleSucceeds)
{
    EXPECT_EQ(libusb_reset_device(host.handle()), 0);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
}

TEST_F(UsbSemantics, UnitReturnsOnlyAfterItsTimeAndItsOpenAttempts)
{
    unit->dropOffBus(4000, 3);
    for (int attempt = 0; attempt < 3; ++attempt) {
        clock().sleepMs(2000);
        EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr)
            << "attempt " << attempt;
    }
    libusb_device_handle *back = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
    ASSERT_NE(back, nullptr) << "the 4th attempt after 3 failed ones, 6 s later";
    ASSERT_EQ(libusb_claim_interface(back, 0), 0);
    uint8_t frame[5] = {0xAA, 0xBB, 0x7A, 0x00, 0x6B};
    int got = 0;
    EXPECT_EQ(libusb_bulk_transfer(back, wire::ENDPOINT_OUT, frame, 5, &got, 1000), 0);
    libusb_close(back);
}

TEST_F(UsbSemantics, OpenAttemptsAloneDoNotBringTheUnitBackEarly)
{
    unit->dropOffBus(4000, 1);
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID), nullptr);
    clock().advanceMs(4000);
    libusb_device_handle *back = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
    EXPECT_NE(back, nullptr);
    libusb_close(back);
}

TEST_F(UsbSemantics, ReturningUnitHasLostItsPendingInData)
{
    unit->respond(wire::GET_SIDE, {1});
    unit->dropOffBus(0);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(unit->pendingBlocks(), 0u);
}

TEST_F(UsbSemantics, EmptyInWaitsItsTimeoutInVirtualTime)
{
    int64_t start = clock().nowMs();
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(clock().nowMs() - start, 10000);
    EXPECT_TRUE(clock().sleeps().empty()) << "a transfer wait is not a sleep of the host";
}

TEST_F(UsbSemantics, ZeroLengthUnitAnswersAtOnceAfterOneFrame)
{
    unit->setEmptyIn(EmptyIn::ZeroLengthPacket);
    int64_t start = clock().nowMs();
    InTransfer in = host.read(10000);
    EXPECT_EQ(in.result, 0);
    EXPECT_TRUE(in.data.empty());
    EXPECT_EQ(clock().nowMs() - start, 1);
    unit->setZeroLengthPacketCostMs(5);
    host.read(10000);
    EXPECT_EQ(clock().nowMs() - start, 6);
}

TEST_F(UsbSemantics, UnboundedWaitsAreCountedAndFailAtOnce)
{
    uint8_t block[64];
    int got = 0;
    EXPECT_EQ(libusb_bulk_transfer(host.handle(), wire::ENDPOINT_IN, block, 64, &got, 0), LIBUSB_ERROR_TIMEOUT);
    int negativeSeconds = -2;
    EXPECT_EQ(libusb_bulk_transfer(host.handle(), wire::ENDPOINT_IN, block, 64, &got,
                                   static_cast<unsigned>(negativeSeconds * 1000)),
              LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(bus().unboundedWaits(), 2);
    EXPECT_EQ(clock().nowMs(), 0);
}

TEST_F(UsbSemantics, ClosedHandleIsAMisuseNotACrash)
{
    libusb_device_handle *handle = host.handle();
    libusb_release_interface(handle, 0);
    libusb_close(handle);
    host.forget();
    uint8_t block[64];
    int got = 0;
    EXPECT_EQ(libusb_bulk_transfer(handle, wire::ENDPOINT_IN, block, 64, &got, 1000), LIBUSB_ERROR_INVALID_PARAM);
    libusb_close(handle);
    EXPECT_EQ(bus().misuses(), 2);
    libusb_exit(nullptr);
}

TEST_F(UsbSemantics, UnknownEndpointIsRefused)
{
    uint8_t block[8] = {};
    int got = 0;
    EXPECT_EQ(libusb_bulk_transfer(host.handle(), 0x01, block, 8, &got, 1000), LIBUSB_ERROR_NOT_FOUND);
    EXPECT_TRUE(unit->frames().empty());
}

}  // namespace
}  // namespace zyra_sim::test
