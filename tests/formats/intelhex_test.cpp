// Intel HEX as the worker's checks, the stand-in flasher and the package
// generator read and write it.
#include "intelhex.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> bytes(size_t count, uint8_t first = 0)
{
    std::vector<uint8_t> data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(first + i * 7);
    return data;
}

// The data of a parse result laid out from `base` (0xFF where nothing was written).
std::vector<uint8_t> flatten(const intelhex::ParseResult &parsed, uint32_t base, size_t size)
{
    std::vector<uint8_t> memory(size, 0xFF);
    for (const intelhex::Chunk &chunk : parsed.chunks) {
        for (size_t i = 0; i < chunk.bytes.size(); ++i)
            memory.at(chunk.address - base + i) = chunk.bytes[i];
    }
    return memory;
}

TEST(IntelHex, WrittenDataAcrossA64KiBBoundaryReadsBackAtItsAddresses)
{
    const std::vector<uint8_t> data = bytes(100, 3);
    const std::string text = intelhex::write({{0x0800FFD0, data}});
    EXPECT_NE(text.find(":020000040800F2\n"), std::string::npos) << text;
    EXPECT_NE(text.find(":020000040801F1\n"), std::string::npos) << "upper address must change at 64 KiB";
    const intelhex::ParseResult parsed = intelhex::parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    for (const intelhex::Chunk &chunk : parsed.chunks)
        EXPECT_EQ(chunk.address >> 16, (chunk.address + chunk.bytes.size() - 1) >> 16) << "record crosses 64 KiB";
    EXPECT_EQ(flatten(parsed, 0x0800FFD0, data.size()), data);
}

TEST(IntelHex, SegmentAddressRecordsAndCrLfLinesAreRead)
{
    const intelhex::ParseResult parsed = intelhex::parse("\r\n:020000021000EC\r\n:02000000AABB99\r\n:00000001FF\r\n");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.chunks.size(), 1u);
    EXPECT_EQ(parsed.chunks[0].address, 0x10000u);
    EXPECT_EQ(parsed.chunks[0].bytes, (std::vector<uint8_t>{0xAA, 0xBB}));
}

TEST(IntelHex, MalformedTextIsRefusedWithTheReason)
{
    const struct {
        const char *text;
        const char *reason;
    } cases[] = {
        {":02000000AABB98\n:00000001FF\n", "checksum"},    {":02000000AABB99\n", "end-of-file"},
        {":03000000AABB99\n:00000001FF\n", "byte count"},  {"02000000AABB99\n:00000001FF\n", "':'"},
        {":02000000AAXB99\n:00000001FF\n", "hexadecimal"}, {":0100000104FA\n", "wrong length"},
        {":00000006FA\n:00000001FF\n", "record type 6"},
    };
    for (const auto &c : cases) {
        const intelhex::ParseResult parsed = intelhex::parse(c.text);
        EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << c.text << " gave: " << parsed.error;
    }
}

TEST(IntelHex, LongRecordsAndStartAddressesAreRead)
{
    const intelhex::ParseResult parsed = intelhex::parse(intelhex::write({{0x100, bytes(255)}}, {255, true, 0x100}));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.chunks.size(), 1u) << "one record of 255 bytes";
    EXPECT_EQ(parsed.chunks[0].bytes, bytes(255));
}

}  // namespace
