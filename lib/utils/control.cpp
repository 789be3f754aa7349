// Short control commands: restarts, remote-control keys, registration.
#include "internal/clock.h"
#include "internal/commands.h"
#include "internal/error.h"
#include "internal/request.h"

namespace {

constexpr int KEY_RECEIVE_TIMEOUT_S = 20;
// The receiver's menu needs time to react to one key before the next.
constexpr int64_t UNPAIR_KEY_GAP_MS = 500;

constexpr const char *SEND_FAILURE = "Failed to send command to ZYRA device";

// A command without payload and its answer; the answer's result is the
// caller's to use or to ignore.
zyra::Reply plain_request(vx_zyra_t *h, uint8_t code)
{
    zyra::begin_frame(h->buf, code, 0);
    return zyra::request(h->devh, h->buf, h->buf, zyra::DEFAULT_TIMEOUTS, zyra::Drain::no);
}

bool send_failed(const zyra::Reply &reply)
{
    return reply.result != 0 && reply.stage == zyra::Stage::send;
}

}  // namespace

extern "C" {

VX_ZYRA_EXPORT int vx_zyra_system_restart(vx_zyra_t *h)
{
    constexpr const char *send_failure = "Failed to send command to ZYRA device, attempting to reconnect";
    zyra::begin_frame(h->buf, zyra::cmd::SYSTEM_RESTART, 0);
    bool unsent = vx_zyra_send_cmd(h->devh, h->buf, zyra::DEFAULT_TIMEOUT_S) < 0;
    if (unsent)
        zyra::fail(h, VX_ZYRA_CONTROL_SEND_FAILED, send_failure);
    // The unit may be restarting already (or have missed the command): its
    // answer decides nothing, the reconnect does.
    size_t length = zyra::RESPONSE_CAPACITY;
    h->buf[0] = zyra::cmd::SYSTEM_RESTART;
    vx_zyra_recv_cmd(h->devh, h->buf, &length, zyra::DEFAULT_TIMEOUT_S);
    if (vx_zyra_reconnect(h) != 0)
        return 1;
    // The reconnect clears the handle; the failed send stays on record.
    if (unsent)
        zyra::fail(h, VX_ZYRA_CONTROL_SEND_FAILED, send_failure);
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_bootloader_restart(vx_zyra_t *h)
{
    if (send_failed(plain_request(h, zyra::cmd::BOOTLOADER_RESTART)))
        return zyra::fail(h, VX_ZYRA_CONTROL_SEND_FAILED, SEND_FAILURE);
    return vx_zyra_reconnect(h);
}

VX_ZYRA_EXPORT int vx_zyra_send_ir_command(vx_zyra_t *h, uint8_t cmd)
{
    static constexpr uint8_t key_frame[] = {0xFF, 0x00, 0x00, 0x00, 0x08, 0x00};
    uint8_t *payload = zyra::begin_frame(h->buf, zyra::cmd::IR_COMMAND, sizeof key_frame + 1);
    for (size_t i = 0; i < sizeof key_frame; ++i)
        payload[i] = key_frame[i];
    payload[sizeof key_frame] = cmd;
    zyra::Reply reply =
        zyra::request(h->devh, h->buf, h->buf, {zyra::DEFAULT_TIMEOUT_S, KEY_RECEIVE_TIMEOUT_S}, zyra::Drain::no);
    if (send_failed(reply))
        return zyra::fail(h, VX_ZYRA_CONTROL_SEND_FAILED, SEND_FAILURE);
    if (reply.result != 0)
        return zyra::fail(h, VX_ZYRA_CONTROL_RECEIVE_FAILED, "Failed to receive command response from ZYRA device");
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_rx_start_pairing(vx_zyra_t *h)
{
    return vx_zyra_send_ir_command(h, IR_CMD_ADD);
}

VX_ZYRA_EXPORT int vx_zyra_rx_confirm_pairing(vx_zyra_t *h)
{
    return vx_zyra_send_ir_command(h, IR_CMD_SELECT);
}

VX_ZYRA_EXPORT int vx_zyra_rx_unpair(vx_zyra_t *h)
{
    static constexpr uint8_t keys[] = {IR_CMD_ESC, IR_CMD_DELETE, IR_CMD_SELECT, IR_CMD_SELECT};
    // Best effort: a press that went unanswered does not stop the sequence.
    for (uint8_t key : keys) {
        vx_zyra_send_ir_command(h, key);
        zyra::clock_sleep_ms(UNPAIR_KEY_GAP_MS);
    }
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_start_registration(vx_zyra_t *h)
{
    zyra::Reply reply = plain_request(h, zyra::cmd::START_REGISTRATION);
    if (send_failed(reply))
        return zyra::fail(h, VX_ZYRA_CONTROL_SEND_FAILED, SEND_FAILURE);
    return reply.result;
}

}  // extern "C"
