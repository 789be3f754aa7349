// Remote-control keys and registration: answered and recorded.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

using RemoteControl = SimTest;

TEST_F(RemoteControl, KeysAreRecordedInOrder)
{
    EXPECT_TRUE(host.ask(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00, 0x1E}));
    EXPECT_TRUE(host.ask(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00, 0x7F}));
    EXPECT_EQ(unit->keys(), (std::vector<uint8_t>{30, 127}));
}

TEST_F(RemoteControl, KeyWithAWrongPrefixIsIgnored)
{
    ASSERT_EQ(host.sendFrame(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x09, 0x00, 0x1E}), 0);
    EXPECT_EQ(host.read(20000).result, LIBUSB_ERROR_TIMEOUT);
    ASSERT_EQ(host.sendFrame(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00}), 0);
    EXPECT_EQ(host.read(20000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_TRUE(unit->keys().empty());
}

TEST_F(RemoteControl, RegistrationIsCounted)
{
    EXPECT_TRUE(host.ask(wire::START_REGISTRATION));
    EXPECT_TRUE(host.ask(wire::START_REGISTRATION));
    EXPECT_EQ(unit->registrationCount(), 2);
}

TEST_F(RemoteControl, BootloaderTakesNoKeys)
{
    unit->setRunning(Firmware::Bootloader);
    ASSERT_EQ(host.sendFrame(wire::IR_COMMAND, {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00, 0x1E}), 0);
    EXPECT_EQ(host.read(20000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_TRUE(unit->keys().empty());
}

}  // namespace
}  // namespace zyra_sim::test
