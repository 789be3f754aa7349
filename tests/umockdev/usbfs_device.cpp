#include "usbfs_device.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "wire_codes.h"

namespace zyra_umockdev {
namespace {

// The unit behind this port of bus 1, as Linux names it; its device number
// and minor follow the port.
std::string sysPathAt(int port)
{
    return "/sys/devices/usb1/1-" + std::to_string(port);
}

std::string devNodeAt(int port)
{
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", port);
    return node;
}

// A full-speed unit 0x22CA:0x1111 with one configuration holding interface 0
// and its two bulk endpoints, 0x02 OUT and 0x81 IN.
constexpr const char *kDescriptors = "H: descriptors="
                                     "12010002000000"
                                     "40"
                                     "ca22"
                                     "1111"
                                     "0001"
                                     "000000"
                                     "01"
                                     "0902"
                                     "2000"
                                     "010100"
                                     "80"
                                     "32"
                                     "0904"
                                     "000002"
                                     "ff0000"
                                     "00"
                                     "0705"
                                     "02"
                                     "02"
                                     "4000"
                                     "00"
                                     "0705"
                                     "81"
                                     "02"
                                     "4000"
                                     "00"
                                     "\n";

std::string deviceAt(int port)
{
    char head[512];
    std::snprintf(head, sizeof head,
                  "P: /devices/usb1/1-%d\n"
                  "N: bus/usb/001/%03d\n"
                  "E: SUBSYSTEM=usb\n"
                  "E: DEVTYPE=usb_device\n"
                  "E: DRIVER=usb\n"
                  "E: BUSNUM=001\n"
                  "E: DEVNUM=%03d\n"
                  "E: DEVNAME=/dev/bus/usb/001/%03d\n"
                  "A: dev=189:%d\\n\n"
                  "A: busnum=1\\n\n"
                  "A: devnum=%d\\n\n"
                  "A: bConfigurationValue=1\\n\n"
                  "A: speed=12\\n\n",
                  port, port, port, port, port - 1, port);
    return head + std::string(kDescriptors);
}

unsigned interfaceOf(UMockdevIoctlData *arg)
{
    UMockdevIoctlData *value = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned), nullptr);
    unsigned number = 0;
    std::memcpy(&number, value->data, sizeof number);
    umockdev_ioctl_data_unref(value);
    return number;
}

std::vector<uint8_t> bytesOf(UMockdevIoctlData *urb)
{
    const int length = urbOf(urb).buffer_length;
    UMockdevIoctlData *buffer =
        umockdev_ioctl_data_resolve(urb, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(length), nullptr);
    std::vector<uint8_t> bytes(buffer->data, buffer->data + length);
    umockdev_ioctl_data_unref(buffer);
    return bytes;
}

}  // namespace

UsbfsDevice::UsbfsDevice(UnitPort &port, int busPort)
    : port_(port),
      node_(sysPathAt(busPort), devNodeAt(busPort), deviceAt(busPort),
            [this](UMockdevIoctlClient *client) { return handle(client); })
{
}

UsbfsDevice::~UsbfsDevice()
{
    if (plugged())
        unplug();
    for (UMockdevIoctlData *urb : inFlight_)
        umockdev_ioctl_data_unref(urb);
    for (UMockdevIoctlData *urb : discarded_)
        umockdev_ioctl_data_unref(urb);
}

bool UsbfsDevice::emulated()
{
    return umockdev_in_mock_environment();
}

void UsbfsDevice::plug()
{
    node_.add("the unit");
    plugged_ = true;
}

void UsbfsDevice::unplug()
{
    plugged_ = false;
    node_.remove();
}

bool UsbfsDevice::plugged() const
{
    return plugged_;
}

void UsbfsDevice::followUnit()
{
    const bool present = port_.present();
    if (present && !plugged())
        plug();
    else if (!present && plugged())
        unplug();
}

bool UsbfsDevice::handle(UMockdevIoctlClient *client)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
    case USBDEVFS_GET_CAPABILITIES: {
        // libusb asks this first thing after opening the node.
        port_.opened();
        answerCapabilities(client, arg);
        return true;
    }
    case USBDEVFS_CLAIMINTERFACE:
        finishIoctl(client, plugged_ ? port_.claim(interfaceOf(arg)) : ENODEV);
        return true;
    case USBDEVFS_RELEASEINTERFACE:
        finishIoctl(client, plugged_ ? port_.release(interfaceOf(arg)) : ENODEV);
        return true;
    case USBDEVFS_RESET:
        finishIoctl(client, plugged_ ? port_.reset() : ENODEV);
        return true;
    case USBDEVFS_SUBMITURB:
        submit(client, arg);
        return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        reap(client, arg);
        return true;
    case USBDEVFS_DISCARDURB:
        discard(client, arg);
        return true;
    default:
        return false;
    }
}

void UsbfsDevice::submit(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    UMockdevIoctlData *urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    const usbdevfs_urb &u = urbOf(urb);
    int error = 0;
    if (!plugged_)
        error = ENODEV;
    else if (u.type != USBDEVFS_URB_TYPE_BULK || (u.endpoint != wire::ENDPOINT_OUT && u.endpoint != wire::ENDPOINT_IN))
        error = EINVAL;
    else if (u.endpoint == wire::ENDPOINT_OUT)
        error = port_.out(bytesOf(urb));
    if (error != 0) {
        umockdev_ioctl_data_unref(urb);
        finishIoctl(client, error);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inFlight_.push_back(urb);
    }
    finishIoctl(client, 0);
}

bool UsbfsDevice::complete(UMockdevIoctlData *urb)
{
    usbdevfs_urb &u = urbOf(urb);
    u.actual_length = 0;
    u.status = 0;
    if (!plugged_) {
        u.status = -ENODEV;
        return true;
    }
    if (u.endpoint == wire::ENDPOINT_OUT) {
        u.actual_length = u.buffer_length;
        return true;
    }
    const std::optional<InCompletion> done = port_.in(static_cast<size_t>(u.buffer_length));
    if (!done)
        return false;
    // The handler runs inside the test process, so the URB's buffer
    // pointer is valid here.
    std::memcpy(u.buffer, done->block.data(), done->block.size());
    u.actual_length = static_cast<int>(done->block.size());
    u.status = -done->error;
    return true;
}

void UsbfsDevice::reap(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    UMockdevIoctlData *done = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!discarded_.empty()) {
            done = discarded_.front();
            discarded_.pop_front();
            urbOf(done).status = -ENOENT;
            urbOf(done).actual_length = 0;
        }
    }
    if (!done) {
        std::unique_lock<std::mutex> lock(mutex_);
        std::deque<UMockdevIoctlData *> waiting = inFlight_;
        lock.unlock();
        auto ready =
            std::find_if(waiting.begin(), waiting.end(), [this](UMockdevIoctlData *urb) { return complete(urb); });
        if (ready == waiting.end()) {
            finishIoctl(client, EAGAIN);
            return;
        }
        done = *ready;
        lock.lock();
        inFlight_.erase(std::find(inFlight_.begin(), inFlight_.end(), done));
    }
    UMockdevIoctlData *slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void *), nullptr);
    umockdev_ioctl_data_set_ptr(slot, 0, done);
    finishIoctl(client, 0);
    umockdev_ioctl_data_unref(slot);
    umockdev_ioctl_data_unref(done);
}

void UsbfsDevice::discard(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    const gulong address = reinterpret_cast<gulong>(*reinterpret_cast<void **>(arg->data));
    std::lock_guard<std::mutex> lock(mutex_);
    auto urb = std::find_if(inFlight_.begin(), inFlight_.end(),
                            [address](UMockdevIoctlData *u) { return u->client_addr == address; });
    if (urb == inFlight_.end()) {
        finishIoctl(client, EINVAL);
        return;
    }
    discarded_.push_back(*urb);
    inFlight_.erase(urb);
    finishIoctl(client, 0);
}

}  // namespace zyra_umockdev
