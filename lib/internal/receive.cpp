// Receiving one response record out of the unit's stream of IN blocks.
//
// Each IN block carries stream bytes 2 .. n-2; records (00 24 01 class
// cmd-hi cmd-lo len-hi len-lo payload) may start anywhere in the stream and
// continue in the next block. The scan moves byte by byte past everything
// that is not the awaited record (late answers, unsolicited records).
#include <libusb.h>

#include <algorithm>
#include <cstring>

#include "clock.h"
#include "commands.h"
#include "transport.h"
#include "vx_zyra.h"

namespace {

constexpr size_t BLOCK_SIZE = 64;
constexpr size_t BLOCK_LEAD = 2;
constexpr size_t BLOCK_TRAIL = 1;
constexpr size_t STREAM_PER_BLOCK = BLOCK_SIZE - BLOCK_LEAD - BLOCK_TRAIL;

constexpr size_t HEADER_SIZE = 8;
constexpr size_t HEADER_COMMAND_LOW = 5;
constexpr size_t HEADER_LENGTH_LOW = 7;
// The header fields compared; class, command high byte and length high byte
// are not examined.
constexpr size_t HEADER_PREFIX_0 = 0;
constexpr size_t HEADER_PREFIX_1 = 1;
constexpr size_t HEADER_TYPE = 2;
constexpr uint8_t PREFIX_0 = 0x00;
constexpr uint8_t PREFIX_1 = 0x24;
constexpr uint8_t TYPE_RESPONSE = 0x01;

// The stream bytes of two full blocks: a record whose payload is at most
// this minus its header can always be held whole.
constexpr size_t REASSEMBLY_SIZE = 2 * STREAM_PER_BLOCK;
constexpr size_t LONGEST_PAYLOAD = REASSEMBLY_SIZE - HEADER_SIZE;

// The header names libusb's timeout for callers that do not include libusb.
static_assert(static_cast<int>(VX_ZYRA_NO_ANSWER) == static_cast<int>(LIBUSB_ERROR_TIMEOUT));

enum class ScanResult {
    record,      // a whole record with the awaited code
    incomplete,  // its prefix is here, the rest of the record is still to come
    nothing      // nothing here (at most a lone first prefix byte at the very end)
};

// Candidate header bytes seen so far: buffer positions and the values they
// must hold; a candidate is rejected as soon as one differs.
bool header_matches(const uint8_t *at, size_t available, uint8_t code)
{
    const std::pair<size_t, uint8_t> required[] = {{HEADER_PREFIX_0, PREFIX_0},
                                                   {HEADER_PREFIX_1, PREFIX_1},
                                                   {HEADER_TYPE, TYPE_RESPONSE},
                                                   {HEADER_COMMAND_LOW, code}};
    for (const auto &[offset, value] : required) {
        if (offset < available && at[offset] != value)
            return false;
    }
    return true;
}

class Reassembly
{
public:
    explicit Reassembly(uint8_t code) : code_(code) {}

    // Replaces the buffer with the block's stream bytes, or appends them when
    // a candidate record continues. Bytes in front of the candidate were
    // rejected already and make room for the new ones.
    void add_block(const uint8_t *block, size_t size)
    {
        const size_t stream = size > BLOCK_LEAD + BLOCK_TRAIL ? size - BLOCK_LEAD - BLOCK_TRAIL : 0;
        if (continuing_) {
            std::memmove(bytes_, bytes_ + scan_from_, fill_ - scan_from_);
            fill_ -= scan_from_;
        } else {
            fill_ = 0;
        }
        scan_from_ = 0;
        const size_t taken = std::min(stream, REASSEMBLY_SIZE - fill_);
        std::memcpy(bytes_ + fill_, block + BLOCK_LEAD, taken);
        fill_ += taken;
    }

    // Looks for the awaited record from the first position not yet rejected.
    // A candidate stops the scan: it is either whole or kept for the next
    // block, so it is never split from its continuation.
    ScanResult scan()
    {
        continuing_ = false;
        for (; scan_from_ < fill_; ++scan_from_) {
            const uint8_t *at = bytes_ + scan_from_;
            const size_t available = fill_ - scan_from_;
            if (!header_matches(at, available, code_))
                continue;
            if (available < HEADER_SIZE) {
                // A header cut by the block's end may continue in the next
                // one. A lone zero byte is too common in any stream to hold
                // the deadline for; the whole prefix is not.
                continuing_ = true;
                return available > HEADER_PREFIX_1 ? ScanResult::incomplete : ScanResult::nothing;
            }
            const size_t payload = at[HEADER_LENGTH_LOW];
            if (payload > LONGEST_PAYLOAD)
                continue;
            if (available - HEADER_SIZE >= payload)
                return ScanResult::record;
            continuing_ = true;
            return ScanResult::incomplete;
        }
        return ScanResult::nothing;
    }

    // The record found by the last scan.
    const uint8_t *payload() const { return bytes_ + scan_from_ + HEADER_SIZE; }
    size_t payload_length() const { return bytes_[scan_from_ + HEADER_LENGTH_LOW]; }

private:
    uint8_t code_;
    uint8_t bytes_[REASSEMBLY_SIZE] = {};
    size_t fill_ = 0;
    // Everything in front of this position has been rejected.
    size_t scan_from_ = 0;
    // The bytes from scan_from_ on continue in the next block.
    bool continuing_ = false;
};

// A record that is incomplete when the deadline comes may still arrive whole;
// it is given one more command timeout, and no more, to do so.
int64_t deadline_s(int timeout, ScanResult last)
{
    return last == ScanResult::incomplete ? 2 * static_cast<int64_t>(timeout) : timeout;
}

// What remains of the command's timeout, but at least a second and at most
// the whole timeout, for each read.
int read_timeout_ms(int timeout, int64_t elapsed)
{
    const int64_t longest = std::max(timeout, 1);
    return zyra::transfer_timeout_ms(std::clamp<int64_t>(timeout - elapsed, 1, longest));
}

}  // namespace

extern "C" int vx_zyra_recv_cmd(libusb_device_handle *devh, uint8_t *buf, size_t *len, int timeout)
{
    if (devh == nullptr || buf == nullptr || len == nullptr)
        return LIBUSB_ERROR_INVALID_PARAM;
    const int64_t start = zyra::clock_now_seconds();
    Reassembly stream(buf[0]);
    for (;;) {
        uint8_t block[BLOCK_SIZE];
        int transferred = 0;
        const int rc = libusb_bulk_transfer(devh, zyra::ENDPOINT_IN, block, static_cast<int>(BLOCK_SIZE), &transferred,
                                            read_timeout_ms(timeout, zyra::clock_now_seconds() - start));
        if (rc != 0)
            return rc;
        stream.add_block(block, std::min(static_cast<size_t>(std::max(transferred, 0)), BLOCK_SIZE));
        const ScanResult found = stream.scan();
        if (found == ScanResult::record) {
            std::memcpy(buf, stream.payload(), std::min(*len, stream.payload_length()));
            *len = stream.payload_length();
            return 0;
        }
        if (zyra::clock_now_seconds() - start >= deadline_s(timeout, found))
            return VX_ZYRA_DEADLINE;
    }
}
