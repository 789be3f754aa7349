// One HEX record handed to vx_zyra_send_app_line as arbitrary text that is
// not NUL-terminated: the text is followed only by the line feed that ends a
// line in a HEX file. The library must read nothing past it, and its result,
// its frame and its upper address must be those of the record.
// Input: upper address byte high, byte low, then the text.
#include <cstring>
#include <memory>
#include <vector>

#include "command_frame.h"
#include "fuzz_check.h"
#include "hex_digit.h"
#include "usb_standin.h"
#include "vx_zyra.h"

namespace {

constexpr int kMalformed = -1;
constexpr size_t kMaxData = 64;

// The record as the unit must see it: every field two hex digits, nothing
// missing, at most 64 data bytes, each non-data type with its own length.
struct Expected {
    int result = kMalformed;
    std::vector<uint8_t> fields;  // count, address high, address low, type, data...
};

Expected expectedFor(const char *text, size_t size)
{
    Expected e;
    if (size == 0 || text[0] != ':')
        return e;
    auto byteAt = [&](size_t index, uint8_t &value) {
        const size_t at = 1 + 2 * index;
        if (at + 2 > size)
            return false;
        const int high = zyra_fuzz::hexDigitValue(text[at]);
        const int low = zyra_fuzz::hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        value = static_cast<uint8_t>(high << 4 | low);
        return true;
    };
    uint8_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!byteAt(i, value) || (i == 0 && value > kMaxData))
            return e;
        e.fields.push_back(value);
    }
    size_t count = e.fields[0];
    for (size_t i = 0; i < count + 1; ++i) {
        if (!byteAt(4 + i, value))
            return e;
        if (i < count)
            e.fields.push_back(value);
    }
    switch (e.fields[3]) {
    case 0:
        e.result = 0;
        break;
    case 1:
        e.result = count == 0 ? 1 : kMalformed;
        break;
    case 3:
        e.result = count == 4 ? 3 : kMalformed;
        break;
    case 4:
        e.result = count == 2 ? 4 : kMalformed;
        break;
    case 5:
        e.result = count == 4 ? 5 : kMalformed;
        break;
    default:
        break;
    }
    return e;
}

std::vector<uint8_t> expectedFrame(const Expected &e, uint8_t upperHigh, uint8_t upperLow)
{
    size_t count = e.fields[0];
    std::vector<uint8_t> payload = {
        static_cast<uint8_t>((count + 3) / 4), 0, 0, 0, e.fields[2], e.fields[1], upperLow, upperHigh};
    payload.insert(payload.end(), e.fields.begin() + 4, e.fields.end());
    return zyra_fuzz::commandFrame(wire::FW_DATA_BLOCK, payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t upperHigh = data[0];
    const uint8_t upperLow = data[1];
    const size_t textSize = size - 2;
    // Exactly the text and its line feed: any read past them is caught.
    std::unique_ptr<char[]> text(new char[textSize + 1]);
    std::memcpy(text.get(), data + 2, textSize);
    text[textSize] = '\n';

    zyra_fuzz::resetUsb(10000);
    std::memset(vx_zyra_app_buf, 0, sizeof vx_zyra_app_buf);
    vx_zyra_app_buf[11] = upperHigh;
    vx_zyra_app_buf[10] = upperLow;
    vx_zyra_t h{};
    h.devh = zyra_fuzz::fakeHandle();

    const int result = vx_zyra_send_app_line(&h, text.get());
    const Expected e = expectedFor(text.get(), textSize);

    ZYRA_FUZZ_CHECK(result == e.result, "the result is that of the record's type, -1 when malformed");
    const auto &out = zyra_fuzz::outTransfers();
    if (e.result == 0) {
        ZYRA_FUZZ_CHECK(out.size() == 1, "a data record sends exactly one frame");
        ZYRA_FUZZ_CHECK(out[0] == expectedFrame(e, upperHigh, upperLow),
                        "the frame carries word count, 32-bit address and the record's data");
    } else {
        ZYRA_FUZZ_CHECK(out.empty(), "only a data record sends anything");
    }
    if (e.result == 4) {
        ZYRA_FUZZ_CHECK(vx_zyra_app_buf[11] == e.fields[4] && vx_zyra_app_buf[10] == e.fields[5],
                        "an extended linear address record sets the upper address");
    } else {
        ZYRA_FUZZ_CHECK(vx_zyra_app_buf[11] == upperHigh && vx_zyra_app_buf[10] == upperLow,
                        "other records leave the upper address alone");
    }
    for (size_t i = 0; i < sizeof vx_zyra_app_buf; ++i)
        ZYRA_FUZZ_CHECK(i == 10 || i == 11 || vx_zyra_app_buf[i] == 0, "the template's other bytes stay zero");
    return 0;
}
