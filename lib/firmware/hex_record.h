// One Intel HEX record of an application image, turned into a FW_DATA_BLOCK
// command or into the upper address that later records use.
#pragma once

#include "app_image.h"
#include "vx_zyra.h"

namespace zyra {

// Results of send_hex_record besides 0 (data record sent) and the send
// error of a data record.
enum HexRecordResult {
    HEX_DATA_SENT = 0,
    HEX_END_OF_FILE = 1,
    HEX_START_SEGMENT_ADDRESS = 3,
    HEX_EXTENDED_LINEAR_ADDRESS = 4,
    HEX_START_LINEAR_ADDRESS = 5,
    HEX_MALFORMED = -1
};

// Handles a record that appimage::readRecord accepted.
int send_hex_record(vx_zyra_t *h, const appimage::Record &record);

}  // namespace zyra
