// Reading a firmware file whole before an update works on it in memory.
#pragma once

#include "vx_zyra.h"

namespace zyra {

using UpdateFromMemory = int (*)(vx_zyra_t *h, const uint8_t *fw_data, uint32_t fw_length, firmware_callback_f cb,
                                 void *cb_data);

// Reads file_name and runs update on its content. A file that cannot be
// opened, allocated or read whole (an empty one included) fails with code 1
// after an error report of 0.
int update_from_file(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data,
                     UpdateFromMemory update);

}  // namespace zyra
