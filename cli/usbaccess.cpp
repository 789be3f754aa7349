#include "usbaccess.h"

#include <QDebug>

#include <libusb.h>

namespace usbaccess {

namespace {

const char rulesAdvice[] = "Install the udev rules /lib/udev/rules.d/70-zyra.rules (the zyra-upgrader package "
                           "installs them), then unplug and reattach the unit.";

Refused deviceOf(const libusb_device_descriptor &descriptor)
{
    if (descriptor.idVendor == 0x22CA && descriptor.idProduct == 0x1111)
        return Refused::unit;
    if (descriptor.idVendor == 0x03EB && descriptor.idProduct == 0x2FDE)
        return Refused::bootloader;
    return Refused::nothing;
}

}  // namespace

Refused probe()
{
    libusb_context *context = nullptr;
    if (libusb_init(&context) != 0) {
        qDebug() << "USB ACCESS PROBE: NO LIBUSB";
        return Refused::nothing;
    }
    libusb_device **devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    Refused refused = Refused::nothing;
    for (ssize_t index = 0; index < count; ++index) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(devices[index], &descriptor) != 0)
            continue;
        const Refused device = deviceOf(descriptor);
        if (device == Refused::nothing)
            continue;
        libusb_device_handle *handle = nullptr;
        const int result = libusb_open(devices[index], &handle);
        qDebug("USB ACCESS PROBE: %04x:%04x OPENS WITH %d", descriptor.idVendor, descriptor.idProduct, result);
        if (result == 0)
            libusb_close(handle);
        else if (result == LIBUSB_ERROR_ACCESS && refused == Refused::nothing)
            refused = device;
    }
    qDebug("USB ACCESS PROBE: %d DEVICES ON THE BUS", static_cast<int>(count));
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    libusb_exit(context);
    return refused;
}

QString explainedFailure(const QString &message)
{
    switch (probe()) {
    case Refused::unit:
        return QString("The ZYRA unit is attached, but this user may not open it (permission denied). ") + rulesAdvice;
    case Refused::bootloader:
        return QString("The ZYRA unit's video module is attached in its bootloader, but this user may not open "
                       "it (permission denied). ") +
               rulesAdvice;
    case Refused::nothing:
        break;
    }
    return message;
}

}  // namespace usbaccess
