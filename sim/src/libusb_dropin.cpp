// The libusb functions the library calls, backed by the model. A process that
// links this library (or preloads it) before libusb-1.0 gets these instead of
// the real ones.
#include <libusb.h>

#include <cstring>
#include <vector>

#include "environment.h"
#include "usb_port.h"

#define ZYRA_SIM_EXPORT __attribute__((visibility("default")))

// The drop-in's only context; callers never look inside it.
struct libusb_context {
    int unused;
};

// A device of a list: which of the two the bus may show.
struct libusb_device {
    zyra_sim::usb::DeviceId id;
};

namespace {

libusb_context defaultContext{};
// The unit and its bootloader; a list points to these, so they need no
// reference counts.
libusb_device unitDevice{{zyra_sim::usb::vendorId, zyra_sim::usb::productId}};
libusb_device bootloaderDevice{{zyra_sim::usb::bootloaderVendorId, zyra_sim::usb::bootloaderProductId}};

libusb_device *deviceOf(const zyra_sim::usb::DeviceId &id)
{
    return id.vendor == zyra_sim::usb::vendorId ? &unitDevice : &bootloaderDevice;
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
    const int result = zyra_sim::usb::open(dev->id.vendor, dev->id.product, &handle);
    if (result == 0)
        *dev_handle = reinterpret_cast<libusb_device_handle *>(handle);
    return result;
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
