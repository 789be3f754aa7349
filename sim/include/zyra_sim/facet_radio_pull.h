// The radio (MAC) update the unit drives by pulling the image in requests.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "zyra_sim/frame.h"

namespace zyra_sim {

// Where a radio (MAC) update stands.
enum class MacUpdate {
    Idle,
    PullingDaemonHeader,
    PullingDaemon,
    PullingRegion,
    Complete  // region received; the host restarts the unit next
};

class RadioPullFacet
{
public:
    // Request sizes, used in turn and from the start again for each pull;
    // with capAtRemaining a request never asks for more than is left (a
    // size of 0 is still asked for as 0). Default {64}, capped.
    void setMacBlockSizes(const std::vector<uint16_t> &sizes, bool capAtRemaining = true);
    void setDaemonLength(std::optional<uint32_t> length);
    void setRegionLength(std::optional<uint32_t> length);
    void setMacVersionOffset(size_t offset);
    // Time the unit takes before each record of the update (default 0).
    void setMacStepDelayMs(int64_t ms);
    MacUpdate macUpdate() const;
    Bytes macStartPayload() const;
    Bytes daemonHeader() const;
    Bytes daemonData() const;
    Bytes macRegion() const;
    // Sizes of the data transfers the unit was sent, in order.
    std::vector<size_t> macBlocksReceived() const;
    // Data transfers larger than the request they answered.
    int macOversizedBlocks() const;
    // Time without data after which a pull is given up (default 30000 ms).
    void setMacPullTimeoutMs(int64_t ms);
    // A faulty radio that never gives up a pull, neither when idle nor when
    // its power goes: everything the host sends is taken as data.
    void setEndlessMacPull(bool endless);
    // Pulls given up unfinished.
    int abandonedMacPulls() const;

protected:
    RadioPullFacet() = default;
    ~RadioPullFacet() = default;
};

}  // namespace zyra_sim
