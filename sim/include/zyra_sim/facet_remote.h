// The remote-control keys the unit received, its registration and a
// receiver's pairing through its menu.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <vector>

namespace zyra_sim {

// Where a receiver's pairing through its remote-control menu stands.
enum class PairingStage {
    Idle,                 // no pairing menu open
    Started,              // IR_CMD_ADD opened the pairing menu
    AwaitingConfirmation  // the search runs; the next select key confirms
};

class RemoteFacet
{
public:
    std::vector<uint8_t> keys() const;  // IR_COMMAND key codes, in order
    int registrationCount() const;
    // A receiver pairs through its menu (a transmitter only records keys):
    // IR_CMD_ADD opens the pairing menu, two select keys choose pairing and
    // start the search, a third confirms and pairs. IR_CMD_DELETE opens the
    // unpairing prompt, which two select keys confirm. IR_CMD_ESC and a
    // restart close any open menu; other keys leave it as it is. A unit
    // stays paired across restarts.
    PairingStage pairingStage() const;
    bool paired() const;

protected:
    RemoteFacet() = default;
    ~RemoteFacet() = default;
};

}  // namespace zyra_sim
