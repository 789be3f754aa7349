// The inside of the Bus: the attached unit, the handles the host opened and
// the counters. Every member is used with the model mutex held.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "unit_impl.h"
#include "zyra_sim/bus.h"

namespace zyra_sim {

// What a libusb_device_handle of the drop-in points to.
struct UsbHandle {
    std::shared_ptr<VirtualUnit::Impl> unit;
    uint64_t unitGeneration = 0;
    uint64_t busEpoch = 0;
    std::string path;  // the port path and address it was opened at
    uint8_t address = 0;
    bool open = true;
    bool claimed = false;
};

// A unit on the bus: the port of its own hub, behind which its radio sits at
// port 1 and its video module at port 2 (see Bus::radioPort).
struct BusPort {
    std::string hub;
    std::shared_ptr<VirtualUnit> unit;
};

struct Bus::State {
    std::shared_ptr<VirtualUnit> unit;
    std::string unitHub = "1-1";
    std::vector<BusPort> others;  // every other unit on the bus
    // The device address of each port path's last enumeration: a device
    // that comes back gets a new one, as from the host's hub driver.
    struct Enumeration {
        const void *device = nullptr;
        uint64_t generation = 0;
        uint8_t address = 0;
    };
    std::map<std::string, Enumeration> enumerations;
    uint8_t lastAddress = 1;
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
    // What this process saw of each unit's video module, by hub.
    struct ModuleWatch {
        std::optional<int64_t> runningSinceMs;
        int runningStart = 0;  // the module's start count then
        // The module's start count when the bus first looked (the state
        // folder given, the unit attached), if it was running then.
        std::optional<int> startsFoundRunning;
    };
    std::map<std::string, ModuleWatch> modules;

    // Another unit at its hub, its module looked at from now on.
    void addUnit(const std::string &hub, std::shared_ptr<VirtualUnit> added);
    // The folder of the unit's video module's files; empty without a state
    // folder.
    std::string moduleFolder(const BusPort &port) const;
    // Starts watching the unit's video module, unless this bus already does.
    void watchModule(const BusPort &port);
    // Writes the state folder's unit.hub for its own unit's module.
    void noteOwnUnitHub() const;
    bool libusbActive() const { return initCount > exitCount; }
    // Every attached unit, the state directory's own included, in the
    // order of their port paths (the order libusb lists them in).
    std::vector<BusPort> attached() const;
    // The address of what is at this port path now; device and generation
    // tell a re-enumeration.
    uint8_t addressAt(const std::string &path, const void *device, uint64_t generation);
    // Whether the unit's video module lets its radio onto the bus.
    bool radioAllowed(const BusPort &port, int64_t nowMs);
    // The address of the unit's video module while it waits in its
    // bootloader, on the bus itself; none otherwise.
    std::optional<uint8_t> bootloaderAddress(const BusPort &port) const;
    // The video module stopped or restarted under the radio.
    static void radioLostPower(const BusPort &port);
    bool stale(const UsbHandle &handle) const;
};

}  // namespace zyra_sim
