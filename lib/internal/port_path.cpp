#include "port_path.h"

#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// The devices on the bus, between a libusb_init and its exit.
class DeviceList
{
public:
    DeviceList() : error_(libusb_init(nullptr)), initialised_(error_ == 0)
    {
        if (!initialised_)
            return;
        const ssize_t count = libusb_get_device_list(nullptr, &devices_);
        if (count < 0)
            error_ = static_cast<int>(count);
        else
            count_ = static_cast<size_t>(count);
    }
    ~DeviceList()
    {
        if (devices_ != nullptr)
            libusb_free_device_list(devices_, 1);
        if (initialised_)
            libusb_exit(nullptr);
    }
    DeviceList(const DeviceList &) = delete;
    DeviceList &operator=(const DeviceList &) = delete;

    int error() const { return error_; }
    size_t size() const { return count_; }
    libusb_device *operator[](size_t i) const { return devices_[i]; }

private:
    int error_;
    bool initialised_;
    libusb_device **devices_ = nullptr;
    size_t count_ = 0;
};

// Whether port path a comes before b, number by number, bus first: 1-2
// before 1-10.
bool port_before(const char *a, const char *b)
{
    while (*a != '\0' && *b != '\0') {
        char *end_a = nullptr;
        char *end_b = nullptr;
        const unsigned long number_a = std::strtoul(a, &end_a, 10);
        const unsigned long number_b = std::strtoul(b, &end_b, 10);
        if (number_a != number_b || end_a == a || end_b == b)
            return number_a < number_b;
        a = *end_a != '\0' ? end_a + 1 : end_a;
        b = *end_b != '\0' ? end_b + 1 : end_b;
    }
    return *a == '\0' && *b != '\0';
}

// A type of this file's own, not std::array: sorting std::array<char, N>
// instantiates std::swap_ranges<char *, char *>, which a build without
// inlining would export from the library.
struct PortPath {
    char text[VX_ZYRA_PORT_PATH_SIZE];
};

// The port paths of the devices with these ids, in the order of their port
// paths (libusb lists devices as it found them): the first capacity of them
// written to paths; how many there are, or a negative libusb error.
int list_ports(uint16_t vendor, uint16_t product, char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity)
{
    if (capacity < 0 || (paths == nullptr && capacity > 0))
        return LIBUSB_ERROR_INVALID_PARAM;
    const DeviceList devices;
    if (devices.error() != 0)
        return devices.error();
    std::unique_ptr<PortPath[]> found(new PortPath[devices.size()]);
    size_t listed = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
        if (has_ids(devices[i], vendor, product) && zyra::port_path(devices[i], found[listed].text, sizeof(PortPath)))
            ++listed;
    }
    std::sort(found.get(), found.get() + listed,
              [](const PortPath &a, const PortPath &b) { return port_before(a.text, b.text); });
    for (size_t i = 0; i < listed && i < static_cast<size_t>(capacity); ++i)
        std::memcpy(paths[i], found[i].text, sizeof(PortPath));
    return static_cast<int>(listed);
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
    const DeviceList devices;
    for (size_t i = 0; i < devices.size(); ++i) {
        char path[VX_ZYRA_PORT_PATH_SIZE];
        if (zyra::port_path(devices[i], path, sizeof path) && std::strcmp(path, port_path) == 0) {
            *bus = libusb_get_bus_number(devices[i]);
            *address = libusb_get_device_address(devices[i]);
            return VX_ZYRA_OK;
        }
    }
    return VX_ZYRA_FAILED;
}

}  // extern "C"
