// A command frame as the unit must receive it: AA BB code length payload
// and the XOR of all of them, built independently of the library.
#pragma once

#include <cstdint>
#include <vector>

#include "wire_codes.h"

namespace zyra_fuzz {

inline std::vector<uint8_t> commandFrame(uint8_t code, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> frame = {wire::FRAME_PREFIX_0, wire::FRAME_PREFIX_1, code,
                                  static_cast<uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    uint8_t checksum = 0;
    for (uint8_t b : frame)
        checksum ^= b;
    frame.push_back(checksum);
    return frame;
}

}  // namespace zyra_fuzz
