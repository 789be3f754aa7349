// The unit's user configuration cells: region, transmission mode and
// frequency channels, and how they are read.
#pragma once

#include "vx_zyra.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace usercells {

const uint16_t regionId = 1;
const size_t regionBytes = 1;
const size_t transmissionModeBytes = 1;
const size_t frequencyChannelsBytes = 28;

uint16_t transmissionModeId(uint8_t side);
uint16_t frequencyChannelsId(uint8_t side);

// What a read of a cell found. An empty answer with result 0 is a cell
// never set: that is the unit's setting too, not a failed read.
enum class Read {
    value,
    unset,
    unreadable
};

// Reads a cell twice in a row, as every configuration read of this program
// does; only the second read counts. value: dest holds exactly `length`
// bytes; unset: dest is zeroed; unreadable (no answer, or another length,
// which is logged): dest is untouched. `answered`, when given, tells an
// answer of another length, which reading again cannot change.
Read read(vx_zyra_t *handle, uint16_t id, uint8_t *dest, size_t length, bool *answered = nullptr);

// A 2K receiver reports regions 7 to 9 that an update carries over as 2 to 4.
uint8_t regionCarriedOver(int deviceType, uint8_t region);

// Upper-case hexadecimal, two digits a byte, for the log.
QString hex(const uint8_t *bytes, size_t length);

}  // namespace usercells
