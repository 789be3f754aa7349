// Scripting the unit's faults: commands handled otherwise, answers kept
// back or late, records lost, OUT transfers that fail.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <functional>

#include "zyra_sim/frame.h"

namespace zyra_sim {

class VirtualUnit;
// Replaces the unit's own handling of one command code. Inside, the handler
// may call respond(), handleNormally(), dropOffBus(), after() ...
using CommandHandler = std::function<void(VirtualUnit &unit, const ReceivedFrame &frame)>;
// Sees a record the unit is about to send of its own accord (an answer, or a
// request such as DATA_BYTE); returns false to keep it back. May also make
// the unit drop off the bus.
using RecordHook = std::function<bool(VirtualUnit &unit, uint8_t code, const Bytes &payload)>;
// Sees an OUT transfer before the unit takes it (`transfer.data` tells a
// data block of a radio update); returns 0 to let it through, or the libusb
// error the host's transfer fails with, and the unit never sees it.
using OutTransferHook = std::function<int(VirtualUnit &unit, const ReceivedFrame &transfer)>;

class FaultsFacet
{
public:
    void onCommand(uint8_t code, CommandHandler handler);
    void clearHandler(uint8_t code);
    // The unit's own reaction to a frame (used by handlers that add to it).
    void handleNormally(const ReceivedFrame &frame);
    // Convenience faults.
    void silenceCommand(uint8_t code);
    void dropOffBusAt(uint8_t code, int64_t backAfterMs);
    // The command is answered normally, but only delayMs later.
    void answerLate(uint8_t code, int64_t delayMs);
    // A silent unit records what it receives and answers nothing.
    void setSilent(bool silent);
    bool silent() const;
    // From this command on (itself included) the unit is silent.
    void fallSilentAt(uint8_t code);

    // Hooks on the unit's own records, and how many it sent of a code.
    void onRecord(uint8_t code, RecordHook hook);
    void clearRecordHook(uint8_t code);
    int recordCount(uint8_t code) const;
    // The unit drops off the bus instead of sending its record number
    // `occurrence` (counting from 0) of this code.
    void dropOffBusAtRecord(uint8_t code, int occurrence, int64_t backAfterMs);
    // The unit keeps back every record of this code from number `occurrence` on.
    void withholdRecordFrom(uint8_t code, int occurrence);
    // Only record number `occurrence` of this code is lost on its way: the
    // unit goes on as if it had been sent.
    void loseRecordAt(uint8_t code, int occurrence);
    // The unit drops off the bus instead of carrying out its command number
    // `occurrence` (counting from 0) of this code.
    void dropOffBusAtCommand(uint8_t code, int occurrence, int64_t backAfterMs);

    // Faults of the OUT transfers themselves.
    void onOutTransfer(OutTransferHook hook);
    void clearOutTransferHook();
    // The transfer of command number `occurrence` (counting from 0) of this
    // code fails with the libusb error `error`, once.
    void failOutTransferAt(uint8_t code, int occurrence, int error);
    // The same for data block number `occurrence` of the radio updates.
    void failDataTransferAt(int occurrence, int error);
    // OUT transfers a hook made fail.
    int failedOutTransfers() const;

protected:
    FaultsFacet() = default;
    ~FaultsFacet() = default;
};

}  // namespace zyra_sim
