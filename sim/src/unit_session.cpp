// Identity and restart commands, and the table of every command the unit knows.
#include "command_codes.h"
#include "unit_impl.h"

namespace zyra_sim {

const std::map<uint8_t, VirtualUnit::Impl::CommandEntry> &VirtualUnit::Impl::commands()
{
    constexpr bool yes = true;
    constexpr bool no = false;
    static const std::map<uint8_t, CommandEntry> table{
        {cmd::getSide, {&Impl::getSide, yes, yes}},
        {cmd::getAppVersion, {&Impl::getAppVersion, yes, no}},
        {cmd::getSignature, {&Impl::getSignature, yes, no}},
        {cmd::systemRestart, {&Impl::systemRestart, yes, yes}},
        {cmd::bootloaderRestart, {&Impl::bootloaderRestart, yes, yes}},
        {cmd::storageSet, {&Impl::storageSet, yes, no}},
        {cmd::storageGet, {&Impl::storageGet, yes, no}},
        {cmd::storageRestore, {&Impl::storageRestore, yes, no}},
        {cmd::storagePrint, {&Impl::storagePrint, yes, no}},
        {cmd::macRegRead, {&Impl::macRegRead, yes, no}},
        {cmd::macRegWrite, {&Impl::macRegWrite, yes, no}},
        {cmd::isBootldr, {&Impl::isBootloader, yes, yes}},
        {cmd::execBootloader, {&Impl::execBootloader, yes, yes}},
        {cmd::blGetConfig, {&Impl::bootloaderConfig, no, yes}},
        {cmd::startUpgrade, {&Impl::startUpgrade, no, yes}},
        {cmd::fwDataBlock, {&Impl::firmwareDataBlock, no, yes}},
        {cmd::blFwuCompleted, {&Impl::firmwareUpdateCompleted, no, yes}},
        {cmd::updateMacStart, {&Impl::updateMacStart, yes, no}},
        {cmd::irCommand, {&Impl::irCommand, yes, no}},
        {cmd::startRegistration, {&Impl::startRegistration, yes, no}},
    };
    return table;
}

void VirtualUnit::Impl::getSide(const ReceivedFrame &frame)
{
    send(frame.code, {side});
}

void VirtualUnit::Impl::getAppVersion(const ReceivedFrame &frame)
{
    send(frame.code, Bytes(appVersion.begin(), appVersion.end()));
}

void VirtualUnit::Impl::getSignature(const ReceivedFrame &frame)
{
    send(frame.code, Bytes(signature.begin(), signature.end()));
}

void VirtualUnit::Impl::systemRestart(const ReceivedFrame &frame)
{
    send(frame.code, {});
    restartInto(flashedImage.value_or(Firmware::Bootloader));
}

void VirtualUnit::Impl::bootloaderRestart(const ReceivedFrame &frame)
{
    send(frame.code, {});
    restartInto(Firmware::Bootloader);
}

}  // namespace zyra_sim
