// The 5 GHz wideband channels a unit may use in each region, and the list of
// switched-off channels as the unit stores it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace channelplan {

struct Channel {
    uint16_t frequency;  // centre frequency, MHz
    uint32_t dfsClass;
};

// Classes 1 and 2 need radar detection; 0 and 3 do not.
bool isDfs(const Channel &channel);

// The plan of a region code; an unknown code gets the plan of code 4.
const std::vector<Channel> &forRegion(uint8_t region);

// The stored list: up to 14 byte pairs, one per switched-off channel, the
// rest zero.
const size_t storedBytes = 28;
const size_t maxSwitchedOff = storedBytes / 2;

// A pair of zeros decodes to 4900 MHz, which no plan holds.
uint16_t frequencyOfPair(uint8_t first, uint8_t second);

// One flag per plan entry: false where the stored list switches it off. A
// pair matching no entry is ignored.
std::vector<bool> enabledFlags(const std::vector<Channel> &plan, const uint8_t *stored);

// The stored list for the switched-off frequencies, in the given order;
// those after the 14th are not recorded.
void encode(const std::vector<uint16_t> &switchedOff, uint8_t *stored);

// What keeps a new list of switched-off frequencies from being stored, as
// the channel dialog enforces it: a frequency outside the plan, more than
// maxSwitchedOff of them, or, on a broadcast link (no radar detection), a
// DFS channel switched other than it is stored.
enum class Refusal {
    none,
    notInPlan,
    tooMany,
    dfsLocked
};
// culprit, when given, gets the frequency refused (notInPlan, dfsLocked).
Refusal checkSwitchedOff(const std::vector<Channel> &plan, const uint8_t *stored,
                         const std::vector<uint16_t> &switchedOff, bool broadcast, uint16_t *culprit = nullptr);

}  // namespace channelplan
