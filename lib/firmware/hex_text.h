// Sending a whole Intel HEX text, record by record, each data record
// acknowledged before the next.
#pragma once

#include <cstddef>

#include "firmware/progress.h"
#include "vx_zyra.h"

namespace zyra {

struct HexText {
    const char *text;
    size_t length;
};

// Sends the records from offset start on until the end-of-file record or
// the end of the text. After each line reports "percent" with base +
// (offset reached * scale) / length. A line appimage::readLine refuses fails
// before anything of it is sent. 0, or 1 with code 9 (ack) or 10 (record).
int send_hex_text(vx_zyra_t *h, HexText hex, size_t start, Progress &progress, int base, int scale);

}  // namespace zyra
