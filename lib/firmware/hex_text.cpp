#include "firmware/hex_text.h"

#include <cstring>

#include "firmware/command_step.h"
#include "firmware/hex_record.h"
#include "internal/commands.h"
#include "internal/error.h"

namespace zyra {

int send_hex_text(vx_zyra_t *h, HexText hex, size_t start, Progress &progress, int base, int scale)
{
    const char *end = hex.text + hex.length;
    size_t position = start;
    while (position < hex.length) {
        int result = send_hex_record(h, hex.text + position, end);
        // Only a transfer error fails the ack: a deadline counts as acknowledged.
        if (result == HEX_DATA_SENT && receive_record(h, cmd::FW_DATA_BLOCK, DEFAULT_TIMEOUT_S) < 0)
            return fail(h, 9, "Failed to receive firmware data block ack");
        if (result < 0)
            return fail(h, 10, "Failed to send firmware data block");
        if (result == HEX_END_OF_FILE)
            break;
        const void *line_feed = std::memchr(hex.text + position, '\n', hex.length - position);
        if (line_feed == nullptr)
            break;
        position = static_cast<size_t>(static_cast<const char *>(line_feed) - hex.text) + 1;
        progress.step("percent", base, scale, position, hex.length);
    }
    return 0;
}

}  // namespace zyra
