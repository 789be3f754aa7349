// The radio MAC image layout: where the three regions lie, and which part
// of a cut or forged image runs past its end.
#include "mac_image.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr size_t kTx = 100;
constexpr size_t kRx = 50;
constexpr size_t kDaemon = 20;

void putLength(std::vector<uint8_t> &image, size_t header, uint32_t length)
{
    for (size_t i = 0; i < 4; ++i)
        image.at(header + zyra::MAC_LENGTH_FIELD + i) = static_cast<uint8_t>(length >> (8 * i));
}

std::vector<uint8_t> wholeImage()
{
    std::vector<uint8_t> image(3 * zyra::MAC_HEADER_SIZE + kTx + kRx + kDaemon, 0xEE);
    putLength(image, 0, kTx);
    putLength(image, zyra::MAC_HEADER_SIZE + kTx, kRx);
    return image;
}

TEST(MacImageLayout, RegionsFollowTheirHeadersAndTheDaemonRunsToTheEnd)
{
    const std::vector<uint8_t> image = wholeImage();
    zyra::MacImage regions{};
    ASSERT_EQ(zyra::locate_mac_regions(image.data(), image.size(), regions), zyra::MAC_IMAGE_SOUND);
    EXPECT_EQ(regions.tx.data_offset, 33u);
    EXPECT_EQ(regions.tx.data_length, kTx);
    EXPECT_EQ(regions.rx.header_offset, 33u + kTx);
    EXPECT_EQ(regions.rx.data_offset, 66u + kTx);
    EXPECT_EQ(regions.rx.data_length, kRx);
    EXPECT_EQ(regions.daemon.data_offset, 99u + kTx + kRx);
    EXPECT_EQ(regions.daemon.data_length, kDaemon);
}

TEST(MacImageLayout, TheFirstPartPastTheEndIsNamed)
{
    const std::vector<uint8_t> whole = wholeImage();
    std::vector<uint8_t> forgedTx = whole;
    putLength(forgedTx, 0, 0xFFFFFFF0u);
    std::vector<uint8_t> forgedRx = whole;
    putLength(forgedRx, zyra::MAC_HEADER_SIZE + kTx, 0xFFFFFFF0u);
    struct Case {
        const char *what;
        std::vector<uint8_t> image;
        size_t length;
        zyra::MacImageFault fault;
    } cases[] = {
        {"TX header cut", whole, 32, zyra::MAC_TX_HEADER_CUT},
        {"TX data cut", whole, 33 + kTx - 1, zyra::MAC_TX_REGION_CUT},
        {"RX header cut", whole, 66 + kTx - 1, zyra::MAC_TX_REGION_CUT},
        {"RX data cut", whole, 66 + kTx + kRx - 1, zyra::MAC_RX_REGION_CUT},
        {"daemon header cut", whole, 99 + kTx + kRx - 1, zyra::MAC_RX_REGION_CUT},
        {"empty daemon", whole, 99 + kTx + kRx, zyra::MAC_IMAGE_SOUND},
        {"TX length wraps", forgedTx, whole.size(), zyra::MAC_TX_REGION_CUT},
        {"RX length wraps", forgedRx, whole.size(), zyra::MAC_RX_REGION_CUT},
    };
    for (const Case &c : cases) {
        zyra::MacImage regions{};
        EXPECT_EQ(zyra::locate_mac_regions(c.image.data(), c.length, regions), c.fault) << c.what;
        EXPECT_EQ(zyra::parse_mac_image(c.image.data(), static_cast<uint32_t>(c.length), regions),
                  c.fault == zyra::MAC_IMAGE_SOUND)
            << c.what;
    }
}

}  // namespace
