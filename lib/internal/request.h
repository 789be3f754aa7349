// One command and its answer, the way every command of the library talks to
// the unit: frame built in a buffer, optional drain, send, receive of the
// record with the same code into a 64-byte response buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commands.h"

struct libusb_device_handle;

namespace zyra {

// Send and receive timeouts of one command, in seconds.
struct Timeouts {
    int send;
    int receive;
};

// 10 s to send, 10 s for the answer: most commands.
constexpr Timeouts DEFAULT_TIMEOUTS{DEFAULT_TIMEOUT_S, DEFAULT_TIMEOUT_S};

enum class Drain {
    no,
    first
};

enum class Stage {
    drain,
    send,
    receive
};

struct Reply {
    int result = 0;              // 0, or the failing stage's own result
    Stage stage = Stage::drain;  // the failing stage when result is not 0
    size_t length = 0;           // full payload length of the answer, when result is 0
};

// Writes code and payload length into a frame; the payload follows at
// FRAME_PAYLOAD. Returns the payload's start.
uint8_t *begin_frame(uint8_t *frame, uint8_t code, uint8_t payload_length);
// Multi-byte fields of payloads are little-endian.
void put_le16(uint8_t *at, uint16_t value);

// Sends the frame (code, length and payload filled in) and receives the
// answer with the frame's code into response, which holds
// COMMAND_BUFFER_SIZE bytes; frame and response may be the same buffer.
// With Drain::first, stale input is drained first (into a scratch buffer,
// so the frame survives).
Reply request(libusb_device_handle *devh, uint8_t *frame, uint8_t *response, Timeouts timeouts, Drain drain);

}  // namespace zyra
