#include "usb_standin.h"

#include <algorithm>
#include <deque>

#include <libusb.h>

#include "fuzz_check.h"
#include "wire_codes.h"
#include "zyra_clock_hooks.h"

namespace zyra_fuzz {
namespace {

constexpr int kBlockSize = 64;

struct State {
    std::deque<InRead> reads;
    std::vector<Bytes> out;
    Bytes stream;
    int64_t nowMs = 0;
    int64_t maxInWaitMs = 0;
    InOutcome lastIn;
};

State &state()
{
    static State s;
    return s;
}

int takeIn(unsigned char *data, int length, int *transferred, unsigned int timeoutMs)
{
    State &s = state();
    ZYRA_FUZZ_CHECK(length >= 1 && length <= kBlockSize, "an IN transfer asks for 1 to 64 bytes");
    ZYRA_FUZZ_CHECK(timeoutMs >= 1, "an IN transfer never waits without limit (timeout 0)");
    ZYRA_FUZZ_CHECK(timeoutMs <= s.maxInWaitMs, "an IN transfer waits no longer than its command allows");

    if (s.reads.empty()) {
        s.nowMs += timeoutMs;
        return LIBUSB_ERROR_TIMEOUT;
    }
    InRead &next = s.reads.front();
    if (next.delayMs >= static_cast<int64_t>(timeoutMs)) {
        next.delayMs -= timeoutMs;
        s.nowMs += timeoutMs;
        return LIBUSB_ERROR_TIMEOUT;
    }
    s.nowMs += next.delayMs;
    InRead read = std::move(next);
    s.reads.pop_front();
    if (read.error != 0) {
        if (read.error == LIBUSB_ERROR_TIMEOUT)
            s.nowMs += timeoutMs - read.delayMs;
        return read.error;
    }
    const int n = std::min(static_cast<int>(read.block.size()), length);
    std::copy(read.block.begin(), read.block.begin() + n, data);
    *transferred = n;
    if (n >= 3)
        s.stream.insert(s.stream.end(), read.block.begin() + 2, read.block.begin() + n - 1);
    return n < static_cast<int>(read.block.size()) ? LIBUSB_ERROR_OVERFLOW : 0;
}

int serveIn(unsigned char *data, int length, int *transferred, unsigned int timeoutMs)
{
    const int result = takeIn(data, length, transferred, timeoutMs);
    state().lastIn = InOutcome{result, *transferred};
    return result;
}

}  // namespace

void resetUsb(int64_t maxInWaitMs)
{
    state() = State{};
    state().maxInWaitMs = maxInWaitMs;
}

void setMaxInWaitMs(int64_t maxInWaitMs)
{
    state().maxInWaitMs = maxInWaitMs;
}

void queueIn(InRead read)
{
    state().reads.push_back(std::move(read));
}

size_t pendingIn()
{
    return state().reads.size();
}

const std::vector<Bytes> &outTransfers()
{
    return state().out;
}

const Bytes &servedStream()
{
    return state().stream;
}

int64_t nowMs()
{
    return state().nowMs;
}

InOutcome lastIn()
{
    return state().lastIn;
}

libusb_device_handle *fakeHandle()
{
    static int token;
    return reinterpret_cast<libusb_device_handle *>(&token);
}

}  // namespace zyra_fuzz

extern "C" {

int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle *devh, unsigned char endpoint, unsigned char *data,
                                     int length, int *transferred, unsigned int timeout)
{
    ZYRA_FUZZ_CHECK(devh == zyra_fuzz::fakeHandle(), "transfers use the handle they were given");
    ZYRA_FUZZ_CHECK(transferred != nullptr, "transfers report their length");
    *transferred = 0;
    if (endpoint == wire::ENDPOINT_IN)
        return zyra_fuzz::serveIn(data, length, transferred, timeout);
    ZYRA_FUZZ_CHECK(endpoint == wire::ENDPOINT_OUT, "transfers use endpoint 0x02 or 0x81");
    ZYRA_FUZZ_CHECK(length >= 0 && (length == 0 || data != nullptr), "an OUT transfer has its data");
    zyra_fuzz::state().out.emplace_back(data, data + length);
    *transferred = length;
    return 0;
}

int64_t zyra_clock_now_ms(void)
{
    return zyra_fuzz::state().nowMs;
}

void zyra_clock_sleep_ms(int64_t ms)
{
    ZYRA_FUZZ_CHECK(ms >= 0, "sleeps are never negative");
    zyra_fuzz::state().nowMs += ms;
}
}
