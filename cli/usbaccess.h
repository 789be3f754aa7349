// Whether a device of the unit sits on the bus but refuses this user: then a
// command that found no unit says so and points at the udev rules. Neither
// the library's connect nor dfu-programmer can tell that from an empty bus.
#pragma once

#include <QString>

namespace usbaccess {

enum class Refused {
    nothing,
    // The radio, 22ca:1111.
    unit,
    // The video module's bootloader, 03eb:2fde.
    bootloader,
};

// Opens each device of the unit on the bus with a libusb context of its own
// and closes it again.
Refused probe();

// The failure's message, or the permission text when the probe finds a
// device of the unit that refuses this user.
QString explainedFailure(const QString &message);

}  // namespace usbaccess
