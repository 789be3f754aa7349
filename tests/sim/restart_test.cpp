// Restart commands: the unit answers, leaves the bus, and comes back fresh
// after its restart time, also while the host sleeps.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

class Restarts : public SimTest
{
protected:
    libusb_device_handle *reopen()
    {
        libusb_device_handle *handle =
            libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
        if (handle)
            libusb_claim_interface(handle, 0);
        return handle;
    }
};

TEST_F(Restarts, SystemRestartIsAnsweredBeforeTheUnitLeaves)
{
    EXPECT_TRUE(host.ask(wire::SYSTEM_RESTART).has_value()) << "the answer is readable at once";
    EXPECT_TRUE(unit->present());
    clock().sleepMs(2000);
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE) << "gone during the host's sleep";
    EXPECT_EQ(unit->restartCount(), 1);
}

TEST_F(Restarts, UnitIsBackAfterItsRestartTime)
{
    unit->setRestartTimeMs(5000);
    unit->setRestartDropDelayMs(100);
    ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
    clock().sleepMs(5000);
    EXPECT_EQ(reopen(), nullptr) << "5 s after the answer the unit left only 4.9 s ago";
    clock().sleepMs(100);
    libusb_device_handle *back = reopen();
    ASSERT_NE(back, nullptr);
    libusb_close(back);
}

TEST_F(Restarts, ReturnedUnitIsFreshAndAnswers)
{
    unit->setRestartTimeMs(1000);
    ASSERT_EQ(host.sendFrame(wire::SYSTEM_RESTART, {}), 0);
    unit->respond(wire::GET_APP_VERSION, {5, 5, 5});
    clock().sleepMs(2000);
    host.disconnect();
    ASSERT_NE(host.connect(), nullptr);
    EXPECT_EQ(host.read(1000).result, LIBUSB_ERROR_TIMEOUT) << "answers queued before the restart are gone";
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
}

TEST_F(Restarts, BootloaderRestartComesBackInTheBootloader)
{
    ASSERT_TRUE(host.ask(wire::BOOTLOADER_RESTART));
    EXPECT_EQ(unit->running(), Firmware::Application) << "still running until it leaves";
    clock().sleepMs(10000);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(unit->running(), Firmware::Bootloader);
}

TEST_F(Restarts, SystemRestartComesBackInTheApplication)
{
    unit->setRunning(Firmware::Bootloader);
    ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
    clock().sleepMs(10000);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(unit->running(), Firmware::Application);
}

TEST_F(Restarts, StoredSettingsSurviveTheRestart)
{
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x08, 0x00, 0x02}).has_value()) << "transmission mode set to broadcast";
    ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
    reconnectAfterRestart();
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x08, 0x00}), Bytes{0x02}) << "the unit that comes back keeps its store";
    EXPECT_EQ(unit->restartCount(), 1);
}

TEST_F(Restarts, DropOutKeepsWhatTheUnitRuns)
{
    unit->setRunning(Firmware::Bootloader);
    unit->dropOffBus(100);
    clock().sleepMs(200);
    EXPECT_TRUE(unit->present());
    EXPECT_EQ(unit->running(), Firmware::Bootloader);
}

}  // namespace
}  // namespace zyra_sim::test
