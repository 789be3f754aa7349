// Fuzz bytes as a sequence of IN reads for the USB stand-in. Each read
// starts with a control byte c:
//   c < 195        a block of c % 65 bytes (taken from what follows),
//                  arriving c / 65 seconds after the host asks;
//   195 <= c < 251 a full 64-byte block at once (the common case);
//   c >= 251       a transfer error: timeout, I/O, no device, pipe, overflow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyra_fuzz {

void queueInScript(const uint8_t *data, size_t size);

}  // namespace zyra_fuzz
