// Failure reporting of the session, control, storage and update operations:
// a message in the handle (cut to 63 characters) and a small code.
#pragma once

#include <cstdint>

#include "vx_zyra.h"

namespace zyra {

// Stores message and code in the handle and returns 1, the library's
// failure result for these operations.
int fail(vx_zyra_t *h, uint8_t code, const char *message);

}  // namespace zyra
