// Where a unit sits on the bus: its port path as Linux writes it,
// BUS-PORT[.PORT...], the one identity that survives its restarts.
#pragma once

#include <cstddef>

struct libusb_device;
struct libusb_device_handle;

namespace zyra {

// Writes the device's port path into path (size bytes, NUL-terminated);
// false when it does not fit or libusb cannot tell.
bool port_path(libusb_device *device, char *path, size_t size);

// Opens the unit at this port path, if it is on the bus now; NULL otherwise.
// Each call counts as one attempt to open.
libusb_device_handle *open_at_port(const char *path);

}  // namespace zyra
