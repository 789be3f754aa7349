// Reading and writing the radio (MAC) chipset's registers.
#include <libusb.h>

#include <cstring>

#include "commands.h"
#include "request.h"
#include "vx_zyra.h"

namespace {

// Address and count in front of the register bytes.
constexpr size_t REGISTER_HEADER = 4;
// A write's frame must fit the 64-byte command buffer.
constexpr size_t LONGEST_WRITE = zyra::COMMAND_BUFFER_SIZE - zyra::FRAME_OVERHEAD - REGISTER_HEADER;
// A read's answer lands in the 64-byte command buffer.
constexpr size_t LONGEST_READ = zyra::RESPONSE_CAPACITY;

uint8_t *begin_register_frame(uint8_t *frame, uint8_t code, uint16_t addr, size_t count)
{
    uint8_t *payload = zyra::begin_frame(frame, code, static_cast<uint8_t>(count + REGISTER_HEADER));
    zyra::put_le16(payload, addr);
    zyra::put_le16(payload + 2, static_cast<uint16_t>(count));
    return payload + REGISTER_HEADER;
}

}  // namespace

extern "C" {

int vx_zyra_write_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout)
{
    if (datalen > LONGEST_WRITE || (data == nullptr && datalen > 0))
        return LIBUSB_ERROR_INVALID_PARAM;
    uint8_t *values = begin_register_frame(h->buf, zyra::cmd::MAC_REG_WRITE, addr, datalen);
    if (datalen > 0)
        std::memcpy(values, data, datalen);
    return zyra::request(h->devh, h->buf, h->buf, {timeout, timeout}, zyra::Drain::first).result;
}

int vx_zyra_read_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout)
{
    if (datalen > LONGEST_READ || (data == nullptr && datalen > 0))
        return LIBUSB_ERROR_INVALID_PARAM;
    // The request carries as many zero bytes as it asks for, so a 64-byte
    // read needs a frame longer than the command buffer.
    uint8_t frame[zyra::FRAME_OVERHEAD + REGISTER_HEADER + LONGEST_READ] = {};
    begin_register_frame(frame, zyra::cmd::MAC_REG_READ, addr, datalen);
    const zyra::Reply reply = zyra::request(h->devh, frame, h->buf, {timeout, timeout}, zyra::Drain::first);
    if (reply.result != 0)
        return reply.result;
    if (reply.length != datalen)
        return VX_ZYRA_WRONG_LENGTH;
    if (datalen > 0)
        std::memcpy(data, h->buf, datalen);
    return 0;
}

}  // extern "C"
