// The unit's identity: side, application and MAC versions, board serial and
// signature.
#include <algorithm>
#include <cstring>

#include "clock.h"
#include "commands.h"
#include "error.h"
#include "request.h"
#include "vx_zyra.h"

namespace {

constexpr int GET_SIDE_ATTEMPTS = 10;
constexpr int64_t GET_SIDE_RETRY_MS = 5000;
// The unit answers GET_APP_VERSION at once; a slow send means trouble.
constexpr int APP_VERSION_SEND_TIMEOUT_S = 1;
// major, minor, debug
constexpr size_t APP_VERSION_LENGTH = 3;

constexpr uint16_t MAC_VERSION_REGISTER = 0x0010;
constexpr uint16_t BOARD_SERIAL_REGISTER = 0x0030;

// Sends a command without payload from the handle's buffer and receives its
// answer there.
zyra::Reply ask(vx_zyra_t *h, uint8_t code, zyra::Timeouts timeouts, zyra::Drain drain)
{
    zyra::begin_frame(h->buf, code, 0);
    return zyra::request(h->devh, h->buf, h->buf, timeouts, drain);
}

}  // namespace

extern "C" {

int vx_zyra_get_side(vx_zyra_t *h)
{
    for (int attempt = 0; attempt < GET_SIDE_ATTEMPTS; ++attempt) {
        const zyra::Reply reply = ask(h, zyra::cmd::GET_SIDE, zyra::DEFAULT_TIMEOUTS, zyra::Drain::no);
        if (reply.result != 0) {
            zyra::clock_sleep_ms(GET_SIDE_RETRY_MS);
            continue;
        }
        if (reply.length == 1)
            h->side = h->buf[0];
        // A unit still starting up answers 0: ask again at once.
        if (h->side != VX_ZYRA_UNKNOWN)
            return 0;
    }
    return h->side == VX_ZYRA_UNKNOWN ? 1 : 0;
}

int vx_zyra_version_app(vx_zyra_t *h)
{
    const zyra::Reply reply =
        ask(h, zyra::cmd::GET_APP_VERSION, {APP_VERSION_SEND_TIMEOUT_S, zyra::DEFAULT_TIMEOUT_S}, zyra::Drain::first);
    if (reply.result != 0)
        return reply.result;
    if (reply.length == APP_VERSION_LENGTH) {
        h->version.app.major = h->buf[0];
        h->version.app.minor = h->buf[1];
        h->version.app.debug = h->buf[2];
    }
    return 0;
}

int vx_zyra_version_mac(vx_zyra_t *h)
{
    uint8_t version[4];
    const int rc = vx_zyra_read_mac_reg(h, MAC_VERSION_REGISTER, version, sizeof version, zyra::DEFAULT_TIMEOUT_S);
    if (rc != 0)
        return rc;
    h->version.mac.major = version[0];
    h->version.mac.minor = version[1];
    h->version.mac.debug = version[2];
    h->version.mac.build = version[3];
    return 0;
}

int vx_zyra_board_serial(vx_zyra_t *h)
{
    return vx_zyra_read_mac_reg(h, BOARD_SERIAL_REGISTER, reinterpret_cast<uint8_t *>(h->serial), sizeof h->serial,
                                zyra::DEFAULT_TIMEOUT_S);
}

int vx_zyra_signature(vx_zyra_t *h)
{
    const zyra::Reply reply = ask(h, zyra::cmd::GET_SIGNATURE, zyra::DEFAULT_TIMEOUTS, zyra::Drain::first);
    if (reply.result != 0)
        return reply.result;
    const size_t kept = std::min({reply.length, zyra::RESPONSE_CAPACITY, sizeof h->signature - 1});
    std::memcpy(h->signature, h->buf, kept);
    h->signature[kept] = '\0';
    return 0;
}

int vx_zyra_get_info(vx_zyra_t *h)
{
    if (vx_zyra_get_side(h) != 0)
        return zyra::fail(h, VX_ZYRA_SESSION_NO_SIDE, "Unable to read from ZYRA device");
    // A field that cannot be read keeps its value: the side alone decides.
    vx_zyra_version_app(h);
    vx_zyra_version_mac(h);
    vx_zyra_signature(h);
    return 0;
}

}  // extern "C"
