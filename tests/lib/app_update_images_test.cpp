// Application images written by srec_cat and objcopy, flashed end to end:
// the unit's flash must equal the source binary byte for byte, with nothing
// written elsewhere and no block written twice.
#include <cstring>
#include <string>

#include "firmware_test_support.h"
#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr uint32_t kBase = 0x08005800;
constexpr uint32_t kCrossingBase = 0x0800FFF8;
// The source binary carries the version 2.7.5 at 0x400.
constexpr uint32_t kVersionOffset = 0x400;

struct Image {
    const char *name;
    uint32_t base;
};

void PrintTo(const Image &image, std::ostream *out)
{
    *out << image.name;
}

std::string imagePath(const std::string &name)
{
    return std::string(ZYRA_IMAGE_DIR) + "/" + name;
}

int dataRecordsIn(const std::string &path)
{
    const Bytes text = readBinaryFile(path);
    int records = 0;
    for (size_t i = 0; i + 8 < text.size(); ++i) {
        if (text[i] == ':' && text[i + 7] == '0' && text[i + 8] == '0')
            ++records;
    }
    return records;
}

class ToolImages : public UnitTest, public ::testing::WithParamInterface<Image>
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        std::memset(vx_zyra_app_buf, 0, sizeof vx_zyra_app_buf);
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
        source = readBinaryFile(imagePath("app_source.bin"));
        ASSERT_EQ(source.size(), 6144u) << "the generated source binary";
    }

    Bytes source;
};

TEST_P(ToolImages, FlashEqualsTheSourceBinary)
{
    const Image &image = GetParam();
    unit->setVersionRecordAddress(image.base + kVersionOffset);
    ASSERT_EQ(vx_zyra_update_app(&h, imagePath(std::string(image.name) + ".hex").c_str(), nullptr, nullptr), 0)
        << h.error_msg;

    const auto segments = unit->flashSegments();
    ASSERT_EQ(segments.size(), 1u) << "one contiguous run of written bytes";
    EXPECT_EQ(segments.begin()->first, image.base);
    EXPECT_TRUE(segments.begin()->second == source) << "flash differs from the source binary";
    EXPECT_EQ(unit->flashOverwrites(), 0u);
    EXPECT_EQ(unit->rejectedDataBlocks(), 0);
    EXPECT_EQ(unit->dataBlocksWritten(), dataRecordsIn(imagePath(std::string(image.name) + ".hex")))
        << "one block per data record";
    EXPECT_EQ((Bytes{h.version.app.major, h.version.app.minor, h.version.app.debug}), (Bytes{2, 7, 5}))
        << "the new application runs";
}

INSTANTIATE_TEST_SUITE_P(AppUpdate, ToolImages,
                         ::testing::Values(Image{"srec_obs16", kBase}, Image{"srec_obs32_crlf", kBase},
                                           Image{"srec_obs64", kBase}, Image{"srec_crossing_64k", kCrossingBase},
                                           Image{"objcopy_linear", kBase}),
                         [](const ::testing::TestParamInfo<Image> &row) { return std::string(row.param.name); });

using CrossingImage = ToolImages;

TEST_F(CrossingImage, RecordAcrossThe64KiBBoundaryIsOneBlockAtItsLinearAddress)
{
    ASSERT_EQ(vx_zyra_update_app(&h, imagePath("srec_crossing_64k.hex").c_str(), nullptr, nullptr), 0) << h.error_msg;
    const auto blocks = unit->framesWithCode(wire::FW_DATA_BLOCK);
    ASSERT_FALSE(blocks.empty());
    const Bytes &first = blocks.front().payload;
    EXPECT_EQ(Bytes(first.begin() + 4, first.begin() + 8), (Bytes{0xF8, 0xFF, 0x00, 0x08}));
    EXPECT_EQ(first.size(), 8u + 16u) << "16 bytes, 8 of them past 0x08010000";
}

using SixtyFourByteImage = ToolImages;

TEST_F(SixtyFourByteImage, EveryFullRecordTravelsInASeventySevenByteFrame)
{
    ASSERT_EQ(vx_zyra_update_app(&h, imagePath("srec_obs64.hex").c_str(), nullptr, nullptr), 0) << h.error_msg;
    for (const zyra_sim::ReceivedFrame &frame : unit->framesWithCode(wire::FW_DATA_BLOCK)) {
        EXPECT_TRUE(frame.framed);
        EXPECT_EQ(frame.bytes.size(), 77u);
    }
}

using SegmentImage = ToolImages;

TEST_F(SegmentImage, ObjcopysSegmentAddressingIsRefusedAtItsFirstSegmentRecord)
{
    ASSERT_EQ(vx_zyra_update_app(&h, imagePath("objcopy_segments.hex").c_str(), nullptr, nullptr), 1);
    EXPECT_EQ(h.error, 10);
    EXPECT_STREQ(h.error_msg, "Failed to send firmware data block");
    // objcopy placed 0x800 bytes below 0x10000 before its segment record.
    EXPECT_EQ(unit->dataBlocksWritten(), 0x800 / 16);
    EXPECT_TRUE(unit->framesWithCode(wire::BL_FWU_COMPLETED).empty()) << "the partial image is not completed";
}

}  // namespace
}  // namespace zyra_test
