// The USB bus as the libusb drop-in sees it: the attached units
// (0x22CA:0x1111), each unit's video module in its bootloader (0x03EB:0x2FDE)
// while its xmega.mode says "dfu", plus counters of what the host did with
// libusb.
//
// Port paths are written as Linux writes them, BUS-PORT[.PORT...]. Each unit
// sits behind a hub of its own: its radio at port 1 of that hub, its video
// module at port 2; a radio and a module belong to one unit when they share
// the hub. A device that leaves the bus comes back at the same port path with
// a new device address. With a state directory, the unit of attach() keeps
// its module's files in the directory itself, every other unit in the
// sub-folder named after its hub (STATE/1-2/); a module's address follows
// from its files, so every process sees it at the same one
// (sim/dfu-programmer/bench_modules.h).
#pragma once

#include <memory>
#include <string>

#include "zyra_sim/virtual_unit.h"

namespace zyra_sim {

class Bus
{
public:
    static Bus &instance();

    static constexpr const char *firstHub = "1-1";
    static std::string radioPort(const std::string &hub) { return hub + ".1"; }
    static std::string modulePort(const std::string &hub) { return hub + ".2"; }

    // The unit whose video module the state directory itself holds; with
    // a state directory, a hub other than 1-1 is noted in its unit.hub.
    void attach(std::shared_ptr<VirtualUnit> unit, const std::string &hub = firstHub);
    void detach();
    // Another unit on the same bus, at a hub of its own; until the next
    // reset(). Listed by port path with the unit of attach().
    void attachAnother(std::shared_ptr<VirtualUnit> unit, const std::string &hub);
    std::shared_ptr<VirtualUnit> unit() const;

    // libusb_init fails with LIBUSB_ERROR_OTHER while set.
    void setInitFails(bool fails);
    // While set, every device on the bus refuses opening with
    // LIBUSB_ERROR_ACCESS, as to a user whom no udev rule lets in.
    void setAccessRefused(bool refused);

    int initCount() const;
    int exitCount() const;
    int openAttempts() const;  // libusb_open and libusb_open_device_with_vid_pid calls
    int openHandles() const;   // opened and not yet closed
    int claimedInterfaces() const;
    // IN transfers asked to wait without limit (timeout 0, or a negative
    // timeout turned into a huge unsigned one): a host fault.
    int unboundedWaits() const;
    // Calls on a closed or unknown handle, opens before libusb_init: host faults.
    int misuses() const;
    int resetCount() const;  // libusb_reset_device calls

    // The video modules' state shared with the dfu-programmer stand-in. When
    // a unit's module folder holds xmega.mode, its radio is on the bus
    // only while that file says "running" and only once the delay (default
    // 2000 ms) has passed since the bus first saw "running", or at once when
    // the module already ran when the bus first looked (state directory set,
    // unit attached: started by an earlier process). The radio
    // loses its power when the module stops or starts again (its start
    // count in xmega.mode changes).
    void setStateDir(const std::string &path);
    std::string stateDir() const;
    void setRadioDelayAfterStartMs(int64_t ms);

    // Detaches the unit, zeroes the counters and resets the clock.
    void reset();

    // Model internals used by the libusb drop-in.
    struct State;
    State &state();

private:
    Bus();
    std::shared_ptr<State> state_;
};

}  // namespace zyra_sim
