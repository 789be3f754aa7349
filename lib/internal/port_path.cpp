#include "port_path.h"

#include <libusb.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "vx_zyra.h"

namespace {

// USB allows seven tiers of hubs below the root.
constexpr int MAX_PORT_DEPTH = 7;

bool has_ids(libusb_device *device, uint16_t vendor, uint16_t product)
{
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == 0 && descriptor.idVendor == vendor &&
           descriptor.idProduct == product;
}

bool is_unit(libusb_device *device)
{
    return has_ids(device, zyra::USB_VENDOR_ID, zyra::USB_PRODUCT_ID);
}

// Calls found(device, its port path) for each device on the bus, in the
// bus's order, between a libusb_init and its exit. 0 or a negative libusb
// error.
template <typename Found>
int for_each_device(Found found)
{
    if (int rc = libusb_init(nullptr))
        return rc;
    libusb_device **devices = nullptr;
    const ssize_t count = libusb_get_device_list(nullptr, &devices);
    for (ssize_t i = 0; i < count; ++i) {
        char path[VX_ZYRA_PORT_PATH_SIZE];
        if (zyra::port_path(devices[i], path, sizeof path))
            found(devices[i], path);
    }
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    libusb_exit(nullptr);
    return count < 0 ? static_cast<int>(count) : 0;
}

// The port paths of the devices with these ids: the first capacity of them
// written to paths; how many there are, or a negative libusb error.
int list_ports(uint16_t vendor, uint16_t product, char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity)
{
    if (capacity < 0 || (paths == nullptr && capacity > 0))
        return LIBUSB_ERROR_INVALID_PARAM;
    int listed = 0;
    const int rc = for_each_device([&](libusb_device *device, const char *path) {
        if (!has_ids(device, vendor, product))
            return;
        if (listed < capacity)
            std::memcpy(paths[listed], path, VX_ZYRA_PORT_PATH_SIZE);
        ++listed;
    });
    return rc != 0 ? rc : listed;
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
    return list_ports(zyra::USB_VENDOR_ID, zyra::USB_PRODUCT_ID, paths, capacity);
}

int vx_zyra_list_video_modules(char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity)
{
    return list_ports(zyra::VIDEO_MODULE_DFU_VENDOR_ID, zyra::VIDEO_MODULE_DFU_PRODUCT_ID, paths, capacity);
}

int vx_zyra_usb_address(const char *port_path, int *bus, int *address)
{
    if (port_path == nullptr || bus == nullptr || address == nullptr)
        return VX_ZYRA_FAILED;
    bool found = false;
    const int rc = for_each_device([&](libusb_device *device, const char *path) {
        if (found || std::strcmp(path, port_path) != 0)
            return;
        found = true;
        *bus = libusb_get_bus_number(device);
        *address = libusb_get_device_address(device);
    });
    return rc == 0 && found ? VX_ZYRA_OK : VX_ZYRA_FAILED;
}

}  // extern "C"
