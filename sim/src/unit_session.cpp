// Identity and restart commands, and the table of every command the unit knows.
#include "command_codes.h"
#include "unit_impl.h"

namespace zyra_sim {

const std::map<uint8_t, VirtualUnit::Impl::Command> &VirtualUnit::Impl::commands()
{
    static const std::map<uint8_t, Command> table{
        {cmd::getSide, &Impl::getSide},
        {cmd::getAppVersion, &Impl::getAppVersion},
        {cmd::getSignature, &Impl::getSignature},
        {cmd::systemRestart, &Impl::systemRestart},
        {cmd::bootloaderRestart, &Impl::bootloaderRestart},
        {cmd::storageSet, &Impl::storageSet},
        {cmd::storageGet, &Impl::storageGet},
        {cmd::storageRestore, &Impl::storageRestore},
        {cmd::storagePrint, &Impl::storagePrint},
        {cmd::macRegRead, &Impl::macRegRead},
        {cmd::macRegWrite, &Impl::macRegWrite},
    };
    return table;
}

void VirtualUnit::Impl::getSide(const ReceivedFrame &frame)
{
    respond(frame.code, {side});
}

void VirtualUnit::Impl::getAppVersion(const ReceivedFrame &frame)
{
    respond(frame.code, Bytes(appVersion.begin(), appVersion.end()));
}

void VirtualUnit::Impl::getSignature(const ReceivedFrame &frame)
{
    respond(frame.code, Bytes(signature.begin(), signature.end()));
}

void VirtualUnit::Impl::systemRestart(const ReceivedFrame &frame)
{
    respond(frame.code, {});
    restartInto(Firmware::Application);
}

void VirtualUnit::Impl::bootloaderRestart(const ReceivedFrame &frame)
{
    respond(frame.code, {});
    restartInto(Firmware::Bootloader);
}

}  // namespace zyra_sim
