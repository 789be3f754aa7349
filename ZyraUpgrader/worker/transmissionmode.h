// The stored transmission mode values (a unit's mode cell holds one byte).
#pragma once

#include <cstdint>

namespace transmissionmode {

// One transmitter and one receiver that change channel together.
const uint8_t unicast = 4;
// One transmitter and up to four receivers; no DFS channels.
const uint8_t broadcast = 2;

}  // namespace transmissionmode
