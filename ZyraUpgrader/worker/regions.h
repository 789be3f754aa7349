// The regions a unit can be set to: its stored code, the country and the
// placement the region dialog shows, and the name zyra uses.
#pragma once

#include <cstdint>
#include <vector>

namespace regions {

struct Region {
    uint8_t code;
    int country;  // 0 USA, 1 Europe, 2 Japan
    bool outdoors;
    const char *name;
};

const std::vector<Region> &all();

}  // namespace regions
