// Radio (MAC) firmware update: the unit pulls the daemon, then the region of
// its side, block by block at sizes it chooses; the host only serves them.
#include <algorithm>

#include "firmware/command_step.h"
#include "firmware/firmware_file.h"
#include "firmware/progress.h"
#include "internal/clock.h"
#include "internal/commands.h"
#include "internal/error.h"
#include "mac_image.h"

namespace zyra {
namespace {

constexpr int LONG_RECEIVE_TIMEOUT_S = 20;
// UPDATE_MAC_START: 01 00, then the first 27 bytes of the region header.
constexpr size_t START_HEADER_BYTES = 27;
constexpr size_t START_PAYLOAD = 2 + START_HEADER_BYTES;
constexpr size_t MAX_BLOCK = 64;
// A receiver's radio rewrites its flash after the last block before it
// takes a restart.
constexpr int64_t RX_FLASH_GRACE_MS = 20000;

constexpr const char *RECEIVE_DATA_BYTE_FAILURE = "Failed to receive DATA_BYTE command";
constexpr const char *SEND_BLOCK_FAILURE = "Failed to send firmware data block";
constexpr const char *BAD_IMAGE = "Firmware image corrupted";

int start_radio_bootloader(vx_zyra_t *h, const uint8_t *fw_data, const MacRegion &side_region)
{
    uint8_t frame[FRAME_OVERHEAD + START_PAYLOAD] = {};
    frame[FRAME_CODE] = cmd::UPDATE_MAC_START;
    frame[FRAME_LENGTH] = START_PAYLOAD;
    frame[FRAME_PAYLOAD] = 0x01;
    std::copy_n(fw_data + side_region.header_offset, START_HEADER_BYTES, frame + FRAME_PAYLOAD + 2);
    if (vx_zyra_send_cmd(h->devh, frame, DEFAULT_TIMEOUT_S) < 0)
        return fail(h, VX_ZYRA_MAC_START_SEND, "Failed to send UPDATE_MAC_START command");
    return await_record(h, cmd::BOOT_LOADER_STARTED, LONG_RECEIVE_TIMEOUT_S,
                        "Failed to receive BOOT_LOADER_STARTED command", VX_ZYRA_MAC_RECEIVE_FAILED);
}

int send_block(vx_zyra_t *h, const uint8_t *data, size_t length)
{
    if (vx_zyra_send_raw(h->devh, const_cast<uint8_t *>(data), length, DEFAULT_TIMEOUT_S) < 0)
        return fail(h, VX_ZYRA_MAC_BLOCK_SEND_FAILED, SEND_BLOCK_FAILURE);
    return 0;
}

// Serves the unit's block requests until the region is sent. A request is
// cut to the 64-byte block limit and to what is left; a request for nothing
// while data remains is a confused unit and ends the update rather than
// looping for ever.
int serve_region(vx_zyra_t *h, const uint8_t *data, size_t length, Progress &progress, const char *message, int base,
                 int scale)
{
    size_t sent = 0;
    while (sent < length) {
        size_t payload = 0;
        if (await_record(h, cmd::DATA_BYTE, DEFAULT_TIMEOUT_S, RECEIVE_DATA_BYTE_FAILURE, VX_ZYRA_MAC_RECEIVE_FAILED,
                         &payload))
            return 1;
        size_t requested = payload >= 2 ? static_cast<size_t>(h->buf[0] | h->buf[1] << 8) : 0;
        size_t block = std::min({requested, MAX_BLOCK, length - sent});
        if (block == 0)
            return fail(h, VX_ZYRA_MAC_RECEIVE_FAILED, RECEIVE_DATA_BYTE_FAILURE);
        if (send_block(h, data + sent, block))
            return 1;
        sent += block;
        progress.step(message, base, scale, sent, length);
    }
    return 0;
}

int send_daemon(vx_zyra_t *h, const uint8_t *fw_data, const MacRegion &daemon, Progress &progress)
{
    if (await_record(h, cmd::DATA_BYTE, LONG_RECEIVE_TIMEOUT_S, RECEIVE_DATA_BYTE_FAILURE, VX_ZYRA_MAC_FIRST_REQUEST))
        return 1;
    if (send_block(h, fw_data + daemon.header_offset, MAC_HEADER_SIZE))
        return 1;
    if (serve_region(h, fw_data + daemon.data_offset, daemon.data_length, progress, "daemon percent", 10, 10))
        return 1;
    return await_record(h, cmd::BOOT_LOADER_READY, LONG_RECEIVE_TIMEOUT_S,
                        "Failed to receive BOOT_LOADER_READY command", VX_ZYRA_MAC_RECEIVE_FAILED);
}

}  // namespace
}  // namespace zyra

extern "C" {

VX_ZYRA_EXPORT int vx_zyra_update_mac_array(vx_zyra_t *h, const uint8_t *fw_data, uint32_t fw_length,
                                            firmware_callback_f cb, void *cb_data)
{
    using namespace zyra;
    Progress progress(cb, cb_data);
    progress.report("firmware upgrade start", 1);
    MacImage image;
    if (!parse_mac_image(fw_data, fw_length, image)) {
        progress.report("BAD FW IMAGE", 0);
        return fail(h, VX_ZYRA_MAC_BAD_IMAGE, BAD_IMAGE);
    }
    const MacRegion &start_region = h->side == VX_ZYRA_RX ? image.rx : image.tx;
    if (start_radio_bootloader(h, fw_data, start_region))
        return 1;
    progress.report("starting daemon", 5);
    if (send_daemon(h, fw_data, image.daemon, progress))
        return 1;
    if (h->side != VX_ZYRA_RX && h->side != VX_ZYRA_TX)
        return fail(h, VX_ZYRA_MAC_UNKNOWN_SIDE, BAD_IMAGE);
    const MacRegion &region = h->side == VX_ZYRA_RX ? image.rx : image.tx;
    if (serve_region(h, fw_data + region.data_offset, region.data_length, progress, "firmware percent", 20, 60))
        return 1;
    progress.report("restarting; waiting for device to appear", 85);
    if (h->side == VX_ZYRA_RX)
        clock_sleep_ms(RX_FLASH_GRACE_MS);
    if (vx_zyra_system_restart(h) != 0)
        return fail(h, VX_ZYRA_MAC_RESTART_FAILED, "Failed to restart ZYRA device");
    progress.report("complete", 100);
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_update_mac(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data)
{
    return zyra::update_from_file(h, file_name, cb, cb_data, vx_zyra_update_mac_array);
}

}  // extern "C"
