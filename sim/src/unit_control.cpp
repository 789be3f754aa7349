// Remote-control keys, a receiver's pairing menu and registration, recorded
// for the pairing tests.
#include <algorithm>

#include "unit_impl.h"

namespace zyra_sim {

namespace {

// FF 00 00 00 08 00, then the key code.
const Bytes irPrefix{0xFF, 0x00, 0x00, 0x00, 0x08, 0x00};

const uint8_t keyDelete = 2;
const uint8_t keySelect = 8;
const uint8_t keyEsc = 11;
const uint8_t keyAdd = 30;
const uint8_t receiverSide = 2;

}  // namespace

void VirtualUnit::Impl::irCommand(const ReceivedFrame &frame)
{
    const Bytes &payload = frame.payload;
    if (payload.size() != irPrefix.size() + 1 || !std::equal(irPrefix.begin(), irPrefix.end(), payload.begin()))
        return;
    keys.push_back(payload.back());
    if (side == receiverSide)
        pressMenuKey(payload.back());
    send(frame.code, {});
}

void VirtualUnit::Impl::pressMenuKey(uint8_t key)
{
    switch (key) {
    case keyAdd:
        openMenu(Menu::Pairing);
        break;
    case keyDelete:
        openMenu(Menu::Unpairing);
        break;
    case keyEsc:
        menu = Menu::None;
        break;
    case keySelect:
        selectInMenu();
        break;
    default:
        break;
    }
}

void VirtualUnit::Impl::openMenu(Menu opened)
{
    menu = opened;
    menuSelects = 0;
}

void VirtualUnit::Impl::selectInMenu()
{
    if (menu == Menu::None)
        return;
    ++menuSelects;
    if (menu == Menu::Pairing && menuSelects > selectsBeforeConfirmation) {
        paired = true;
        menu = Menu::None;
    } else if (menu == Menu::Unpairing && menuSelects == selectsToUnpair) {
        paired = false;
        menu = Menu::None;
    }
}

void VirtualUnit::Impl::startRegistration(const ReceivedFrame &frame)
{
    ++registrations;
    send(frame.code, {});
}

}  // namespace zyra_sim
