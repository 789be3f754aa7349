// The unit's key-value store: set, get, restore to defaults, print.
#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "internal/commands.h"
#include "internal/error.h"
#include "internal/request.h"
#include "vx_zyra.h"

namespace {

constexpr size_t STORAGE_ID_SIZE = 2;
// A value and its id must fit the 64-byte command buffer as one frame.
constexpr size_t LONGEST_VALUE = zyra::COMMAND_BUFFER_SIZE - zyra::FRAME_OVERHEAD - STORAGE_ID_SIZE;
constexpr int STORAGE_SET_RECEIVE_TIMEOUT_S = 20;
constexpr uint8_t PRINT_TO_UNIT_OUTPUT = 0x00;

// The handle's error holds the failing call's result itself here.
uint8_t low_byte(int result)
{
    return static_cast<uint8_t>(result & 0xFF);
}

// Drains, sends the frame built in the handle's buffer and receives its
// answer there; a failure leaves the message naming the failing stage.
zyra::Reply storage_request(vx_zyra_t *h, const char *name, int receive_timeout)
{
    const zyra::Reply reply =
        zyra::request(h->devh, h->buf, h->buf, {zyra::DEFAULT_TIMEOUT_S, receive_timeout}, zyra::Drain::first);
    if (reply.result == 0)
        return reply;
    char message[sizeof h->error_msg];
    switch (reply.stage) {
    case zyra::Stage::drain:
        std::snprintf(message, sizeof message, "Failed to clear ZYRA device buffer");
        break;
    case zyra::Stage::send:
        std::snprintf(message, sizeof message, "Failed to send %s command", name);
        break;
    case zyra::Stage::receive:
        std::snprintf(message, sizeof message, "Failed to receive %s command", name);
        break;
    }
    zyra::fail(h, low_byte(reply.result), message);
    return reply;
}

}  // namespace

extern "C" {

int vx_zyra_storage_set(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t datalen)
{
    if (datalen > LONGEST_VALUE || (data == nullptr && datalen > 0))
        return zyra::fail(h, low_byte(LIBUSB_ERROR_INVALID_PARAM), "Storage value too long");
    uint8_t *payload =
        zyra::begin_frame(h->buf, zyra::cmd::STORAGE_SET, static_cast<uint8_t>(datalen + STORAGE_ID_SIZE));
    zyra::put_le16(payload, id);
    if (datalen > 0)
        std::memcpy(payload + STORAGE_ID_SIZE, data, datalen);
    const zyra::Reply reply = storage_request(h, "STORAGE_SET", STORAGE_SET_RECEIVE_TIMEOUT_S);
    // Unlike the other storage commands, a failed drain or receive returns
    // the transport's own result.
    return reply.result != 0 && reply.stage == zyra::Stage::send ? 1 : reply.result;
}

int vx_zyra_storage_get(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t *datalen)
{
    zyra::put_le16(zyra::begin_frame(h->buf, zyra::cmd::STORAGE_GET, STORAGE_ID_SIZE), id);
    const zyra::Reply reply = storage_request(h, "STORAGE_GET", zyra::DEFAULT_TIMEOUT_S);
    if (reply.result != 0)
        return 1;
    // Only what the command buffer received can be handed on.
    const size_t length = std::min(reply.length, zyra::RESPONSE_CAPACITY);
    if (length > 0)
        std::memcpy(data, h->buf, length);
    *datalen = length;
    return 0;
}

int vx_zyra_storage_restore(vx_zyra_t *h)
{
    zyra::begin_frame(h->buf, zyra::cmd::STORAGE_RESTORE, 0);
    return storage_request(h, "STORAGE_RESTORE", zyra::DEFAULT_TIMEOUT_S).result != 0 ? 1 : 0;
}

int vx_zyra_storage_dump(vx_zyra_t *h, storage_callback_f *callback)
{
    // The unit prints its store on its own output; nothing comes back.
    (void)callback;
    zyra::begin_frame(h->buf, zyra::cmd::STORAGE_PRINT, 1)[0] = PRINT_TO_UNIT_OUTPUT;
    return storage_request(h, "STORAGE_PRINT", zyra::DEFAULT_TIMEOUT_S).result != 0 ? 1 : 0;
}

}  // extern "C"
