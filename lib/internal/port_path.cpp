#include "port_path.h"

#include <libusb.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "vx_zyra.h"

namespace {

// USB allows seven tiers of hubs below the root.
constexpr int MAX_PORT_DEPTH = 7;

bool is_unit(libusb_device *device)
{
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == 0 && descriptor.idVendor == zyra::USB_VENDOR_ID &&
           descriptor.idProduct == zyra::USB_PRODUCT_ID;
}

}  // namespace

namespace zyra {

bool port_path(libusb_device *device, char *path, size_t size)
{
    uint8_t ports[MAX_PORT_DEPTH];
    const int depth = libusb_get_port_numbers(device, ports, MAX_PORT_DEPTH);
    if (depth <= 0 || size == 0)
        return false;
    int written = std::snprintf(path, size, "%u-%u", libusb_get_bus_number(device), ports[0]);
    for (int i = 1; i < depth && written > 0 && static_cast<size_t>(written) < size; ++i)
        written += std::snprintf(path + written, size - static_cast<size_t>(written), ".%u", ports[i]);
    return written > 0 && static_cast<size_t>(written) < size;
}

libusb_device_handle *open_at_port(const char *path)
{
    libusb_device **devices = nullptr;
    const ssize_t count = libusb_get_device_list(nullptr, &devices);
    libusb_device_handle *devh = nullptr;
    for (ssize_t i = 0; i < count && devh == nullptr; ++i) {
        char found[VX_ZYRA_PORT_PATH_SIZE];
        if (is_unit(devices[i]) && port_path(devices[i], found, sizeof found) && std::strcmp(found, path) == 0 &&
            libusb_open(devices[i], &devh) != 0)
            devh = nullptr;
    }
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    return devh;
}

}  // namespace zyra

extern "C" {

int vx_zyra_list_units(char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity)
{
    if (capacity < 0 || (paths == nullptr && capacity > 0))
        return LIBUSB_ERROR_INVALID_PARAM;
    if (int rc = libusb_init(nullptr))
        return rc;
    libusb_device **devices = nullptr;
    const ssize_t count = libusb_get_device_list(nullptr, &devices);
    int units = count < 0 ? static_cast<int>(count) : 0;
    for (ssize_t i = 0; i < count; ++i) {
        char path[VX_ZYRA_PORT_PATH_SIZE];
        if (!is_unit(devices[i]) || !zyra::port_path(devices[i], path, sizeof path))
            continue;
        if (units < capacity)
            std::memcpy(paths[units], path, sizeof path);
        ++units;
    }
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    libusb_exit(nullptr);
    return units;
}

}  // extern "C"
