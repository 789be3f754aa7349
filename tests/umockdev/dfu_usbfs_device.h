// The XMEGA's DFU bootloader (03eb:2fde) on a USB bus emulated by umockdev.
// The testbed's ioctl handler answers usbfs calls from any process that
// runs with umockdev's preload library and the testbed's UMOCKDEV_DIR, so a
// dfu-programmer started as a child of the test reaches the bootloader
// through its own, unchanged libusb. Control URBs complete when submitted.
#pragma once

#include <deque>
#include <mutex>

#include <umockdev.h>

#include "usbfs_node.h"

#include "xmega_bootloader.h"

namespace zyra_umockdev {

class DfuUsbfsDevice
{
public:
    // Creates the testbed: only after that may anyone ask umockdev whether
    // the process runs under it.
    explicit DfuUsbfsDevice(XmegaBootloader &bootloader);
    ~DfuUsbfsDevice();
    DfuUsbfsDevice(const DfuUsbfsDevice &) = delete;
    DfuUsbfsDevice &operator=(const DfuUsbfsDevice &) = delete;

    void plug();
    void unplug();
    bool plugged() const { return plugged_; }
    // Unplugs once the application was started: it leaves DFU mode.
    void followBootloader();

private:
    bool handle(UMockdevIoctlClient *client);
    void submit(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void reap(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void release(UMockdevIoctlClient *client);

    XmegaBootloader &bootloader_;
    UsbfsNode node_;
    std::mutex mutex_;
    bool plugged_ = false;
    std::deque<UMockdevIoctlData *> done_;  // completed, to be reaped
};

}  // namespace zyra_umockdev
