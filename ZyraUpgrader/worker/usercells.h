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

// Reads a cell twice in a row, as every configuration read of this program
// does; only the second read counts. The value is copied to dest only when
// the read succeeded with exactly `length` bytes; any other length is logged
// and counts as a failed read.
bool read(vx_zyra_t *handle, uint16_t id, uint8_t *dest, size_t length);

// The same, but an empty answer is a cell never set: dest is zeroed and the
// read counts. Any other length than `length` still fails.
bool readOrUnset(vx_zyra_t *handle, uint16_t id, uint8_t *dest, size_t length);

// A 2K receiver reports regions 7 to 9 that an update carries over as 2 to 4.
uint8_t regionCarriedOver(int deviceType, uint8_t region);

// Upper-case hexadecimal, two digits a byte, for the log.
QString hex(const uint8_t *bytes, size_t length);

}  // namespace usercells
