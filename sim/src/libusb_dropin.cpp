// The libusb functions the library calls, backed by the model. A process that
// links this library (or preloads it) before libusb-1.0 gets these instead of
// the real ones.
#include <libusb.h>

#include "environment.h"
#include "usb_port.h"

#define ZYRA_SIM_EXPORT __attribute__((visibility("default")))

// The drop-in's only context; callers never look inside it.
struct libusb_context {
    int unused;
};

namespace {

libusb_context defaultContext{};

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

ZYRA_SIM_EXPORT libusb_device_handle *LIBUSB_CALL libusb_open_device_with_vid_pid(libusb_context *, uint16_t vendor_id,
                                                                                  uint16_t product_id)
{
    return reinterpret_cast<libusb_device_handle *>(zyra_sim::usb::open(vendor_id, product_id));
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
