// The command exchanges of the firmware updates, each with the step's own
// failure message and code.
#pragma once

#include <cstddef>

#include "vx_zyra.h"

namespace zyra {

struct CommandStep {
    uint8_t code;
    const char *send_failure;
    uint8_t send_failure_code;
    const char *receive_failure;
    uint8_t receive_failure_code;
};

// Sends the step's command without payload and receives its answer into
// h->buf (10 s each). 0, or 1 with the step's message and code.
int run_command_step(vx_zyra_t *h, const CommandStep &step, size_t *payload_length = nullptr);

// Waits for the record of code; its payload (at most 64 bytes) lands in
// h->buf and *payload_length, when given, gets its full length. The
// transport's result.
int receive_record(vx_zyra_t *h, uint8_t code, int timeout_s, size_t *payload_length = nullptr);

// receive_record for a record the step cannot do without: 0, or 1 with
// message and code.
int await_record(vx_zyra_t *h, uint8_t code, int timeout_s, const char *failure, uint8_t failure_code,
                 size_t *payload_length = nullptr);

}  // namespace zyra
