// Remote-control keys and registration, recorded for the pairing tests.
#include <algorithm>

#include "unit_impl.h"

namespace zyra_sim {

namespace {

// FF 00 00 00 08 00, then the key code.
const Bytes irPrefix{0xFF, 0x00, 0x00, 0x00, 0x08, 0x00};

}  // namespace

void VirtualUnit::Impl::irCommand(const ReceivedFrame &frame)
{
    const Bytes &payload = frame.payload;
    if (payload.size() != irPrefix.size() + 1 || !std::equal(irPrefix.begin(), irPrefix.end(), payload.begin()))
        return;
    keys.push_back(payload.back());
    send(frame.code, {});
}

void VirtualUnit::Impl::startRegistration(const ReceivedFrame &frame)
{
    ++registrations;
    send(frame.code, {});
}

}  // namespace zyra_sim
