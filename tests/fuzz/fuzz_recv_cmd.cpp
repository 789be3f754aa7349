// Receive reassembly fed arbitrary IN block sequences, then a drain of what
// the receive left behind, as the next command would do.
// Input: expected code, capacity (mod 65), timeout (1 to 20 s), IN script.
#include <algorithm>
#include <cstring>
#include <vector>

#include <libusb.h>

#include "fuzz_check.h"
#include "in_script.h"
#include "usb_standin.h"
#include "vx_zyra.h"
#include "wire_codes.h"

namespace {

constexpr int kDeadlinePassed = 3;
constexpr int64_t kDrainWaitMs = 1000;

// The record handed back must stand in the stream the unit sent: a header
// for the code with that length, followed by the bytes that were copied.
bool streamHoldsRecord(uint8_t code, const uint8_t *payload, size_t length, size_t copied)
{
    const zyra_fuzz::Bytes &s = zyra_fuzz::servedStream();
    for (size_t p = 0; p + wire::RECORD_HEADER + length <= s.size(); ++p) {
        if (s[p] == wire::RECORD_PREFIX_0 && s[p + 1] == wire::RECORD_PREFIX_1 && s[p + 2] == wire::RECORD_TYPE &&
            s[p + 5] == code && s[p + 7] == length && std::memcmp(&s[p + wire::RECORD_HEADER], payload, copied) == 0)
            return true;
    }
    return false;
}

void checkReceive(int rc, uint8_t code, const std::vector<uint8_t> &buf, size_t capacity, size_t length,
                  int timeoutSeconds)
{
    if (rc == 0) {
        ZYRA_FUZZ_CHECK(length <= 255, "a payload length fits the record's length byte");
        ZYRA_FUZZ_CHECK(streamHoldsRecord(code, buf.data(), length, std::min(capacity, length)),
                        "the payload returned is that of a record for the code in the stream");
    } else if (rc == kDeadlinePassed) {
        ZYRA_FUZZ_CHECK(zyra_fuzz::nowMs() >= 1000 * static_cast<int64_t>(timeoutSeconds),
                        "3 only once the deadline has passed");
    } else {
        ZYRA_FUZZ_CHECK(rc < 0, "a receive returns 0, 3 or a libusb error");
        ZYRA_FUZZ_CHECK(rc == zyra_fuzz::lastIn().result, "a transfer error is returned unchanged");
    }
}

void drainAndCheck()
{
    zyra_fuzz::setMaxInWaitMs(kDrainWaitMs);
    std::vector<uint8_t> buf(64);
    const int rc = vx_zyra_clear_cmd(zyra_fuzz::fakeHandle(), buf.data());
    const zyra_fuzz::InOutcome last = zyra_fuzz::lastIn();
    if (rc == 0) {
        ZYRA_FUZZ_CHECK(last.transferred == 0, "a drain ends with a read that yielded nothing");
        ZYRA_FUZZ_CHECK(last.result == 0 || last.result == LIBUSB_ERROR_TIMEOUT,
                        "a drain succeeds only on an empty read or a timeout");
    } else {
        ZYRA_FUZZ_CHECK(rc == last.result && rc != LIBUSB_ERROR_TIMEOUT,
                        "a drain fails with the read's own error, never with a timeout");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t code = data[0];
    const size_t capacity = data[1] % 65;
    const int timeoutSeconds = 1 + data[2] % 20;
    zyra_fuzz::resetUsb(1000 * static_cast<int64_t>(timeoutSeconds));
    zyra_fuzz::queueInScript(data + 3, size - 3);

    // Exactly as large as the capacity promises, so any write past it shows.
    std::vector<uint8_t> buf(std::max<size_t>(capacity, 1));
    buf[0] = code;
    size_t length = capacity;
    const int rc = vx_zyra_recv_cmd(zyra_fuzz::fakeHandle(), buf.data(), &length, timeoutSeconds);
    checkReceive(rc, code, buf, capacity, length, timeoutSeconds);

    drainAndCheck();
    return 0;
}
