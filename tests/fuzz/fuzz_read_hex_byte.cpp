// The hex-byte parser on every pair of characters: it reads exactly two
// (none past them: the pair is not terminated), and its value is right
// wherever the parse is unambiguous.
#include <cstdint>
#include <memory>

#include "fuzz_check.h"
#include "hex_digit.h"
#include "vx_zyra.h"

namespace {

// pair: a heap block of exactly two characters.
void checkPair(char *pair, uint8_t first, uint8_t second)
{
    pair[0] = static_cast<char>(first);
    pair[1] = static_cast<char>(second);
    const uint8_t value = vx_zyra_read_hex_byte(pair);

    const int high = zyra_fuzz::hexDigitValue(static_cast<char>(first));
    const int low = zyra_fuzz::hexDigitValue(static_cast<char>(second));
    if (first & 0x80)
        ZYRA_FUZZ_CHECK(value == first, "a first character with its top bit set is the value");
    else if (second & 0x80)
        ZYRA_FUZZ_CHECK(value == second, "a second character with its top bit set is the value");
    else if (high >= 0 && low >= 0)
        ZYRA_FUZZ_CHECK(value == high * 16 + low, "two hex digits give their value");
    else if (high >= 0)
        ZYRA_FUZZ_CHECK(value == high, "the parse stops at the first non-hex character");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::unique_ptr<char[]> pair(new char[2]);
    for (size_t i = 0; i + 1 < size; i += 2)
        checkPair(pair.get(), data[i], data[i + 1]);
    return 0;
}
