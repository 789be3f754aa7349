#include "firmware/hex_text.h"

#include <string_view>

#include "firmware/command_step.h"
#include "firmware/hex_record.h"
#include "internal/commands.h"
#include "internal/error.h"

namespace zyra {

int send_hex_text(vx_zyra_t *h, HexText hex, size_t start, Progress &progress, int base, int scale)
{
    const std::string_view text(hex.text, hex.length);
    size_t position = start;
    appimage::Record record;
    while (position < hex.length) {
        const appimage::LineRead line = appimage::readLine(text, position, record);
        if (line.fault != nullptr)
            return fail(h, VX_ZYRA_APP_BLOCK_SEND_FAILED, "Failed to send firmware data block");
        int result = send_hex_record(h, record);
        // Only a transfer error fails the ack: a deadline counts as acknowledged.
        if (result == HEX_DATA_SENT && receive_record(h, cmd::FW_DATA_BLOCK, DEFAULT_TIMEOUT_S) < 0)
            return fail(h, VX_ZYRA_APP_BLOCK_ACK_FAILED, "Failed to receive firmware data block ack");
        if (result < 0)
            return fail(h, VX_ZYRA_APP_BLOCK_SEND_FAILED, "Failed to send firmware data block");
        if (result == HEX_END_OF_FILE || line.next == std::string_view::npos)
            break;
        position = line.next;
        progress.step("percent", base, scale, position, hex.length);
    }
    return 0;
}

}  // namespace zyra
