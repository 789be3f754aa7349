// libusb semantics over the model: what each libusb call of the drop-in does
// to the bus and the attached unit. Results are libusb error codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zyra_sim {

struct UsbHandle;

namespace usb {

constexpr uint16_t vendorId = 0x22CA;
constexpr uint16_t productId = 0x1111;
constexpr uint8_t outEndpoint = 0x02;
constexpr uint8_t inEndpoint = 0x81;
// The video module's DFU bootloader: listed, but spoken to only by the
// stand-in dfu-programmer.
constexpr uint16_t bootloaderVendorId = 0x03EB;
constexpr uint16_t bootloaderProductId = 0x2FDE;

struct DeviceId {
    uint16_t vendor;
    uint16_t product;
    std::string path;  // BUS-PORT[.PORT...]
    uint8_t address;
};

int init();
void exit();
// The devices on the bus now, by port path: each unit while an open would
// find it (without counting as an open attempt), the bootloader while the
// video module waits in it. A libusb error code before libusb_init.
int list(std::vector<DeviceId> *devices);
// Opens the first unit on the bus with these ids. A libusb error code;
// *handle is set on success only. The bootloader opens with
// LIBUSB_ERROR_NOT_SUPPORTED unless access is refused.
int open(uint16_t vendor, uint16_t product, UsbHandle **handle);
// Opens the device a list gave: LIBUSB_ERROR_NO_DEVICE once it has left the
// bus, even when it is back at the same port (with another address).
int open(const DeviceId &device, UsbHandle **handle);
int claim(UsbHandle *handle, int interfaceNumber);
int release(UsbHandle *handle, int interfaceNumber);
void close(UsbHandle *handle);
int reset(UsbHandle *handle);
int bulk(UsbHandle *handle, uint8_t endpoint, uint8_t *data, int length, int *transferred, unsigned int timeoutMs);

}  // namespace usb
}  // namespace zyra_sim
