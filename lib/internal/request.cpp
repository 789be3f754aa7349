#include "request.h"

#include "commands.h"
#include "vx_zyra.h"

namespace zyra {

uint8_t *begin_frame(uint8_t *frame, uint8_t code, uint8_t payload_length)
{
    frame[FRAME_CODE] = code;
    frame[FRAME_LENGTH] = payload_length;
    return frame + FRAME_PAYLOAD;
}

void put_le16(uint8_t *at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>(value >> 8);
}

Reply request(libusb_device_handle *devh, uint8_t *frame, uint8_t *response, Timeouts timeouts, Drain drain)
{
    Reply reply;
    if (drain == Drain::first) {
        uint8_t scratch[COMMAND_BUFFER_SIZE];
        reply.stage = Stage::drain;
        if ((reply.result = vx_zyra_clear_cmd(devh, scratch)) != 0)
            return reply;
    }
    const uint8_t code = frame[FRAME_CODE];
    reply.stage = Stage::send;
    if ((reply.result = vx_zyra_send_cmd(devh, frame, timeouts.send)) != 0)
        return reply;
    response[0] = code;
    reply.length = RESPONSE_CAPACITY;
    reply.stage = Stage::receive;
    reply.result = vx_zyra_recv_cmd(devh, response, &reply.length, timeouts.receive);
    return reply;
}

}  // namespace zyra
