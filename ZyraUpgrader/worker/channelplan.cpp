#include "channelplan.h"

#include <algorithm>
#include <map>

namespace channelplan {

namespace {

// Pair bytes are offsets from these bases in 5 MHz steps.
const int firstPairBase = 4910;
const int secondPairBase = 4890;
const int pairStepMhz = 5;

const std::vector<Channel> defaultPlan = {
    {5190, 0}, {5230, 0}, {5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5670, 1}, {5755, 3}, {5795, 3},
};

// One row a region, laid out by hand: the rows are easier to compare so.
// clang-format off
const std::map<uint8_t, std::vector<Channel>> plans = {
    {2, {{5190, 0}, {5230, 0}, {5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5590, 1}, {5630, 1}, {5670, 1}}},
    {3, {{5190, 0}, {5230, 0}, {5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5590, 2}, {5630, 2}, {5670, 1}}},
    {4, defaultPlan},
    {5, {{5150, 0}, {5190, 0}, {5230, 0}, {5270, 0}, {5310, 0}, {5350, 0}, {5390, 0}, {5430, 0},
         {5470, 0}, {5510, 0}, {5550, 0}, {5590, 0}, {5630, 0}, {5670, 0}, {5755, 3}, {5795, 3}}},
    {6, {{5190, 0}, {5230, 0}, {5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5590, 1}, {5630, 1}, {5670, 1},
         {5755, 3}, {5795, 3}}},
    {7, {{5510, 1}, {5550, 1}, {5590, 1}, {5630, 1}, {5670, 1}}},
    {8, {{5510, 1}, {5550, 1}, {5590, 2}, {5630, 2}, {5670, 1}}},
    {9, {{5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5670, 1}, {5755, 3}, {5795, 3}}},
    {11, {{5190, 0}, {5230, 0}, {5270, 1}, {5310, 1}, {5510, 1}, {5550, 1}, {5590, 2}, {5630, 2}, {5670, 1},
          {5755, 3}, {5795, 3}, {5835, 3}}},
};
// clang-format on

}  // namespace

bool isDfs(const Channel &channel)
{
    return channel.dfsClass == 1 || channel.dfsClass == 2;
}

const std::vector<Channel> &forRegion(uint8_t region)
{
    auto plan = plans.find(region);
    return plan == plans.end() ? defaultPlan : plan->second;
}

uint16_t frequencyOfPair(uint8_t first, uint8_t second)
{
    return static_cast<uint16_t>((pairStepMhz * first + pairStepMhz * second + firstPairBase + secondPairBase) / 2);
}

std::vector<bool> enabledFlags(const std::vector<Channel> &plan, const uint8_t *stored)
{
    std::vector<bool> enabled(plan.size(), true);
    for (size_t pair = 0; pair < maxSwitchedOff; ++pair) {
        const uint16_t frequency = frequencyOfPair(stored[2 * pair], stored[2 * pair + 1]);
        auto match = std::find_if(plan.begin(), plan.end(),
                                  [frequency](const Channel &channel) { return channel.frequency == frequency; });
        if (match != plan.end())
            enabled[static_cast<size_t>(match - plan.begin())] = false;
    }
    return enabled;
}

void encode(const std::vector<uint16_t> &switchedOff, uint8_t *stored)
{
    std::fill(stored, stored + storedBytes, 0);
    const size_t recorded = std::min(switchedOff.size(), maxSwitchedOff);
    for (size_t pair = 0; pair < recorded; ++pair) {
        stored[2 * pair] = static_cast<uint8_t>((switchedOff[pair] - firstPairBase) / pairStepMhz);
        stored[2 * pair + 1] = static_cast<uint8_t>((switchedOff[pair] - secondPairBase) / pairStepMhz);
    }
}

Refusal checkSwitchedOff(const std::vector<Channel> &plan, const uint8_t *stored,
                         const std::vector<uint16_t> &switchedOff, bool broadcast, uint16_t *culprit)
{
    uint16_t refused = 0;
    if (culprit == nullptr)
        culprit = &refused;
    if (switchedOff.size() > maxSwitchedOff)
        return Refusal::tooMany;
    const std::vector<bool> enabled = enabledFlags(plan, stored);
    for (uint16_t frequency : switchedOff)
        if (std::none_of(plan.begin(), plan.end(),
                         [frequency](const Channel &channel) { return channel.frequency == frequency; })) {
            *culprit = frequency;
            return Refusal::notInPlan;
        }
    for (size_t entry = 0; entry < plan.size() && broadcast; ++entry) {
        const bool wantedOn =
            std::find(switchedOff.begin(), switchedOff.end(), plan[entry].frequency) == switchedOff.end();
        if (isDfs(plan[entry]) && wantedOn != enabled[entry]) {
            *culprit = plan[entry].frequency;
            return Refusal::dfsLocked;
        }
    }
    return Refusal::none;
}

}  // namespace channelplan
