#include "dfu_usbfs_device.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace zyra_umockdev {
namespace {

constexpr const char *kSysPath = "/sys/devices/xmega1";
constexpr const char *kDevNode = "/dev/bus/usb/002/001";

// A full-speed device 03eb:2fde with one configuration holding interface 0
// of class 0xFE subclass 0x01 (DFU) and no endpoints besides control.
constexpr const char *kDevice = "P: /devices/xmega1\n"
                                "N: bus/usb/002/001\n"
                                "E: SUBSYSTEM=usb\n"
                                "E: DEVTYPE=usb_device\n"
                                "E: DRIVER=usb\n"
                                "E: BUSNUM=002\n"
                                "E: DEVNUM=001\n"
                                "E: DEVNAME=/dev/bus/usb/002/001\n"
                                "A: dev=189:128\\n\n"
                                "A: busnum=2\\n\n"
                                "A: devnum=1\\n\n"
                                "A: bConfigurationValue=1\\n\n"
                                "A: speed=12\\n\n"
                                "H: descriptors="
                                "12010002000000"
                                "40"
                                "eb03"
                                "de2f"
                                "0000"
                                "000000"
                                "01"
                                "0902"
                                "1200"
                                "010100"
                                "80"
                                "32"
                                "0904"
                                "000000"
                                "fe0100"
                                "00"
                                "\n";

const size_t setupBytes = 8;

ControlSetup setupOf(const uint8_t *bytes)
{
    ControlSetup setup;
    setup.requestType = bytes[0];
    setup.request = bytes[1];
    setup.value = static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
    setup.index = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    setup.length = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    return setup;
}

}  // namespace

DfuUsbfsDevice::DfuUsbfsDevice(XmegaBootloader &bootloader)
    : bootloader_(bootloader),
      node_(kSysPath, kDevNode, kDevice, [this](UMockdevIoctlClient *client) { return handle(client); })
{
}

DfuUsbfsDevice::~DfuUsbfsDevice()
{
    if (plugged())
        unplug();
    for (UMockdevIoctlData *urb : done_)
        umockdev_ioctl_data_unref(urb);
}

void DfuUsbfsDevice::plug()
{
    node_.add("the DFU bootloader");
    plugged_ = true;
}

void DfuUsbfsDevice::unplug()
{
    plugged_ = false;
    node_.remove();
}

void DfuUsbfsDevice::followBootloader()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (plugged_ && bootloader_.started())
        unplug();
}

bool DfuUsbfsDevice::handle(UMockdevIoctlClient *client)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    std::lock_guard<std::mutex> lock(mutex_);
    const bool answering = plugged_ && !bootloader_.started();
    switch (umockdev_ioctl_client_get_request(client)) {
    case USBDEVFS_GET_CAPABILITIES: {
        answerCapabilities(client, arg);
        return true;
    }
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RESET:
        finishIoctl(client, answering ? 0 : ENODEV);
        return true;
    case USBDEVFS_RELEASEINTERFACE:
        release(client);
        return true;
    case USBDEVFS_SUBMITURB:
        submit(client, arg);
        return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        reap(client, arg);
        return true;
    case USBDEVFS_DISCARDURB:
        // Every URB completes when submitted: there is nothing to cancel.
        finishIoctl(client, EINVAL);
        return true;
    default:
        return false;
    }
}

void DfuUsbfsDevice::release(UMockdevIoctlClient *client)
{
    // The bootloader jumps to a started application only once the flasher
    // has let go of the device.
    bootloader_.released();
    finishIoctl(client, plugged_ ? 0 : ENODEV);
}

void DfuUsbfsDevice::submit(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    if (!plugged_ || bootloader_.started()) {
        finishIoctl(client, ENODEV);
        return;
    }
    UMockdevIoctlData *urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    usbdevfs_urb &u = urbOf(urb);
    if (u.type != USBDEVFS_URB_TYPE_CONTROL || u.buffer_length < static_cast<int>(setupBytes)) {
        umockdev_ioctl_data_unref(urb);
        finishIoctl(client, EINVAL);
        return;
    }
    // The data stage is written back to the flasher's own buffer when the
    // URB is reaped.
    UMockdevIoctlData *buffer =
        umockdev_ioctl_data_resolve(urb, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(u.buffer_length), nullptr);
    const ControlSetup setup = setupOf(buffer->data);
    const size_t stage = std::min<size_t>(setup.length, static_cast<size_t>(u.buffer_length) - setupBytes);
    const bool in = setup.requestType & 0x80;
    std::vector<uint8_t> data;
    if (!in)
        data.assign(buffer->data + setupBytes, buffer->data + setupBytes + stage);
    const int error = bootloader_.control(setup, &data);
    const size_t answered = in ? std::min(stage, data.size()) : stage;
    if (in && error == 0)
        std::memcpy(buffer->data + setupBytes, data.data(), answered);
    umockdev_ioctl_data_unref(buffer);
    u.status = -error;
    u.actual_length = error ? 0 : static_cast<int>(answered);
    done_.push_back(urb);
    finishIoctl(client, 0);
}

void DfuUsbfsDevice::reap(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    if (done_.empty()) {
        finishIoctl(client, plugged_ ? EAGAIN : ENODEV);
        return;
    }
    UMockdevIoctlData *urb = done_.front();
    done_.pop_front();
    UMockdevIoctlData *slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void *), nullptr);
    umockdev_ioctl_data_set_ptr(slot, 0, urb);
    finishIoctl(client, 0);
    umockdev_ioctl_data_unref(slot);
    umockdev_ioctl_data_unref(urb);
}

}  // namespace zyra_umockdev
