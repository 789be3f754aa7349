// The libusb functions the library calls, backed by the model. A process that
// links this library (or preloads it) before libusb-1.0 gets these instead of
// the real ones.
#include <libusb.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "bus_state.h"
#include "environment.h"
#include "usb_port.h"

#define ZYRA_SIM_EXPORT __attribute__((visibility("default")))

// The drop-in's only context; callers never look inside it.
struct libusb_context {
    int unused;
};

// A device of a list: what the bus showed at one port path and address.
struct libusb_device {
    zyra_sim::usb::DeviceId id;
};

namespace {

libusb_context defaultContext{};

// Every device any list showed, kept for the process: a list, and a handle's
// libusb_get_device, point to these, so they need no reference counts.
std::mutex devicesLock;
std::deque<libusb_device> devices;

libusb_device *deviceOf(const zyra_sim::usb::DeviceId &id)
{
    std::lock_guard<std::mutex> lock(devicesLock);
    for (libusb_device &device : devices) {
        if (device.id.vendor == id.vendor && device.id.path == id.path && device.id.address == id.address)
            return &device;
    }
    return &devices.emplace_back(libusb_device{id});
}

zyra_sim::UsbHandle *model(libusb_device_handle *handle)
{
    return reinterpret_cast<zyra_sim::UsbHandle *>(handle);
}

}  // namespace

extern "C" {

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_init(libusb_context **ctx)
{
    zyra_sim::applyEnvironment();
    int result = zyra_sim::usb::init();
    if (result == 0 && ctx)
        *ctx = &defaultContext;
    return result;
}

ZYRA_SIM_EXPORT void LIBUSB_CALL libusb_exit(libusb_context *)
{
    zyra_sim::usb::exit();
}

ZYRA_SIM_EXPORT ssize_t LIBUSB_CALL libusb_get_device_list(libusb_context *, libusb_device ***list)
{
    std::vector<zyra_sim::usb::DeviceId> devices;
    if (int result = zyra_sim::usb::list(&devices))
        return result;
    *list = new libusb_device *[devices.size() + 1];
    for (size_t i = 0; i < devices.size(); ++i)
        (*list)[i] = deviceOf(devices[i]);
    (*list)[devices.size()] = nullptr;
    return static_cast<ssize_t>(devices.size());
}

ZYRA_SIM_EXPORT void LIBUSB_CALL libusb_free_device_list(libusb_device **list, int)
{
    delete[] list;
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_get_device_descriptor(libusb_device *dev, libusb_device_descriptor *desc)
{
    std::memset(desc, 0, sizeof *desc);
    desc->bLength = LIBUSB_DT_DEVICE_SIZE;
    desc->bDescriptorType = LIBUSB_DT_DEVICE;
    desc->bcdUSB = 0x0200;
    desc->idVendor = dev->id.vendor;
    desc->idProduct = dev->id.product;
    desc->bNumConfigurations = 1;
    return 0;
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_open(libusb_device *dev, libusb_device_handle **dev_handle)
{
    zyra_sim::UsbHandle *handle = nullptr;
    const int result = zyra_sim::usb::open(dev->id, &handle);
    if (result == 0)
        *dev_handle = reinterpret_cast<libusb_device_handle *>(handle);
    return result;
}

ZYRA_SIM_EXPORT libusb_device *LIBUSB_CALL libusb_get_device(libusb_device_handle *dev_handle)
{
    const zyra_sim::UsbHandle *handle = model(dev_handle);
    return deviceOf({zyra_sim::usb::vendorId, zyra_sim::usb::productId, handle->path, handle->address});
}

ZYRA_SIM_EXPORT uint8_t LIBUSB_CALL libusb_get_bus_number(libusb_device *dev)
{
    return static_cast<uint8_t>(std::atoi(dev->id.path.c_str()));
}

ZYRA_SIM_EXPORT uint8_t LIBUSB_CALL libusb_get_device_address(libusb_device *dev)
{
    return dev->id.address;
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_get_port_numbers(libusb_device *dev, uint8_t *port_numbers, int port_numbers_len)
{
    const std::string &path = dev->id.path;
    int count = 0;
    for (size_t at = path.find('-'); at != std::string::npos; at = path.find('.', at + 1)) {
        if (count >= port_numbers_len)
            return LIBUSB_ERROR_OVERFLOW;
        port_numbers[count++] = static_cast<uint8_t>(std::atoi(path.c_str() + at + 1));
    }
    return count;
}

ZYRA_SIM_EXPORT libusb_device_handle *LIBUSB_CALL libusb_open_device_with_vid_pid(libusb_context *, uint16_t vendor_id,
                                                                                  uint16_t product_id)
{
    zyra_sim::UsbHandle *handle = nullptr;
    zyra_sim::usb::open(vendor_id, product_id, &handle);
    return reinterpret_cast<libusb_device_handle *>(handle);
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_claim_interface(libusb_device_handle *dev_handle, int interface_number)
{
    return zyra_sim::usb::claim(model(dev_handle), interface_number);
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_release_interface(libusb_device_handle *dev_handle, int interface_number)
{
    return zyra_sim::usb::release(model(dev_handle), interface_number);
}

ZYRA_SIM_EXPORT void LIBUSB_CALL libusb_close(libusb_device_handle *dev_handle)
{
    zyra_sim::usb::close(model(dev_handle));
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_reset_device(libusb_device_handle *dev_handle)
{
    return zyra_sim::usb::reset(model(dev_handle));
}

ZYRA_SIM_EXPORT int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle *dev_handle, unsigned char endpoint,
                                                     unsigned char *data, int length, int *actual_length,
                                                     unsigned int timeout)
{
    return zyra_sim::usb::bulk(model(dev_handle), endpoint, data, length, actual_length, timeout);
}

}  // extern "C"
