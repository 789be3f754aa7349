// Conversions shared by the transport's senders and its receiver.
#pragma once

#include <cstdint>

namespace zyra {

// libusb milliseconds for a timeout given in seconds. A libusb timeout of 0
// waits forever, so no transfer waits less than one second; the upper end
// keeps the product inside an int.
int transfer_timeout_ms(int64_t seconds);

}  // namespace zyra
