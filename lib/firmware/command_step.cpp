#include "firmware/command_step.h"

#include "internal/commands.h"
#include "internal/error.h"
#include "internal/request.h"

namespace zyra {

int run_command_step(vx_zyra_t *h, const CommandStep &step, size_t *payload_length)
{
    begin_frame(h->buf, step.code, 0);
    Reply reply = request(h->devh, h->buf, h->buf, DEFAULT_TIMEOUTS, Drain::no);
    if (reply.result != 0 && reply.stage == Stage::send)
        return fail(h, step.send_failure_code, step.send_failure);
    if (reply.result != 0)
        return fail(h, step.receive_failure_code, step.receive_failure);
    if (payload_length != nullptr)
        *payload_length = reply.length;
    return 0;
}

int receive_record(vx_zyra_t *h, uint8_t code, int timeout_s, size_t *payload_length)
{
    size_t length = RESPONSE_CAPACITY;
    h->buf[0] = code;
    int result = vx_zyra_recv_cmd(h->devh, h->buf, &length, timeout_s);
    if (payload_length != nullptr)
        *payload_length = length;
    return result;
}

int await_record(vx_zyra_t *h, uint8_t code, int timeout_s, const char *failure, uint8_t failure_code,
                 size_t *payload_length)
{
    if (receive_record(h, code, timeout_s, payload_length) != 0)
        return fail(h, failure_code, failure);
    return 0;
}

}  // namespace zyra
