// The inside of the Bus: the attached unit, the handles the host opened and
// the counters. Every member is used with the model mutex held.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "unit_impl.h"
#include "zyra_sim/bus.h"

namespace zyra_sim {

// What a libusb_device_handle of the drop-in points to.
struct UsbHandle {
    std::shared_ptr<VirtualUnit::Impl> unit;
    uint64_t unitGeneration = 0;
    uint64_t busEpoch = 0;
    bool open = true;
    bool claimed = false;
};

struct Bus::State {
    std::shared_ptr<VirtualUnit> unit;
    bool attachedByCode = false;  // since the last reset
    // The units the state directory's unit.side chooses from, by side - 1.
    std::shared_ptr<VirtualUnit> sideUnits[2];

    bool initFails = false;
    bool accessRefused = false;
    int initCount = 0;
    int exitCount = 0;
    int openAttempts = 0;
    int unboundedWaits = 0;
    int misuses = 0;
    int resets = 0;

    // Handles live as long as the process, so that a host using one after
    // closing it is counted as a misuse instead of touching freed memory.
    std::deque<UsbHandle> handles;
    std::set<const UsbHandle *> known;
    uint64_t busEpoch = 0;  // bumped when every handle goes stale at once

    std::string stateDir;
    int64_t radioDelayAfterStartMs = 2000;
    std::optional<int64_t> runningSinceMs;
    int runningStart = 0;  // the module's start count then
    // The module's start count when the state folder was given, if it was
    // running then.
    std::optional<int> startsFoundRunning;

    void noteModuleFoundRunning();
    bool libusbActive() const { return initCount > exitCount; }
    // Whether the video module lets the radio unit onto the bus.
    bool radioAllowed(int64_t nowMs);
    // Whether the video module waits in its bootloader, on the bus itself.
    bool bootloaderOnBus() const;
    // The video module stopped or restarted under the radio.
    void radioLostPower();
    bool stale(const UsbHandle &handle) const;
};

}  // namespace zyra_sim
