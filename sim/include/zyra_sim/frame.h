// What the virtual unit received on its OUT endpoint, and how it builds
// response records for its IN endpoint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zyra_sim {

using Bytes = std::vector<uint8_t>;

// One OUT transfer as the unit received it.
struct ReceivedFrame {
    Bytes bytes;          // the whole transfer
    bool framed = false;  // AA BB prefix, length consistent with the size, checksum right
    uint8_t code = 0;     // bytes[2] when framed
    Bytes payload;        // bytes[4 .. 4+len) when framed
    int64_t atMs = 0;     // virtual time of arrival
    bool data = false;    // taken as a data block of a radio update, not as a command
};

// Response record as it appears in the IN stream:
// 00 24 01 class cmd-high cmd-low len-high len-low payload.
Bytes makeRecord(uint8_t code, const Bytes &payload, uint8_t recordClass = 0, uint8_t codeHigh = 0);

// A command frame as the host builds it (for tests of the unit itself).
Bytes makeFrame(uint8_t code, const Bytes &payload);

// Reads one OUT transfer the way the unit does: a frame is AA BB code len
// payload checksum, exactly len + 5 bytes, the checksum being the XOR of all
// bytes before it. Anything else is kept as unframed data.
ReceivedFrame parseTransfer(const Bytes &transfer, int64_t atMs);

}  // namespace zyra_sim
