// libusb semantics over the model: what each libusb call of the drop-in does
// to the bus and the attached unit. Results are libusb error codes.
#pragma once

#include <cstdint>

namespace zyra_sim {

struct UsbHandle;

namespace usb {

constexpr uint16_t vendorId = 0x22CA;
constexpr uint16_t productId = 0x1111;
constexpr uint8_t outEndpoint = 0x02;
constexpr uint8_t inEndpoint = 0x81;

int init();
void exit();
UsbHandle *open(uint16_t vendor, uint16_t product);
int claim(UsbHandle *handle, int interfaceNumber);
int release(UsbHandle *handle, int interfaceNumber);
void close(UsbHandle *handle);
int reset(UsbHandle *handle);
int bulk(UsbHandle *handle, uint8_t endpoint, uint8_t *data, int length, int *transferred, unsigned int timeoutMs);

}  // namespace usb
}  // namespace zyra_sim
