// One unit on a USB bus emulated by umockdev: the testbed holds its sysfs
// entry and device node, and an ioctl handler answers libusb's usbfs calls
// (capabilities, claim and release, reset, and bulk URBs) from the unit
// behind a UnitPort. The real libusb talks to it as to a kernel device.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>

#include <umockdev.h>

#include "usbfs_node.h"

#include "unit_port.h"

namespace zyra_umockdev {

class UsbfsDevice
{
public:
    // Creates the testbed; only after that may anyone ask umockdev whether
    // the process runs under it (the answer is cached).
    // At port busPort of bus 1 (port path 1-busPort).
    explicit UsbfsDevice(UnitPort &port, int busPort = 1);
    ~UsbfsDevice();
    UsbfsDevice(const UsbfsDevice &) = delete;
    UsbfsDevice &operator=(const UsbfsDevice &) = delete;

    // True when umockdev's preload library intercepts the process's device
    // access (the binary runs under umockdev-wrapper).
    static bool emulated();

    void plug();
    void unplug();
    bool plugged() const;
    // Plugs or unplugs so that the bus shows what the unit's presence says.
    void followUnit();

private:
    bool handle(UMockdevIoctlClient *client);
    void submit(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void reap(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void discard(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    // Fills in a URB that can complete now; false while it must wait.
    bool complete(UMockdevIoctlData *urb);

    UnitPort &port_;
    UsbfsNode node_;
    mutable std::mutex mutex_;
    std::atomic<bool> plugged_{false};
    std::deque<UMockdevIoctlData *> inFlight_;   // submitted, oldest first
    std::deque<UMockdevIoctlData *> discarded_;  // cancelled, to be reaped
};

}  // namespace zyra_umockdev
