// The pre-flight checks that keep a bad image from reaching the unit.
#include "imagechecks.h"
#include "intelhex.h"

#include <gtest/gtest.h>

namespace {

std::string macImage(uint32_t txLength, uint32_t rxLength, size_t daemonLength)
{
    std::string image;
    auto header = [&image](uint32_t length) {
        std::string h(33, '\0');
        for (int i = 0; i < 4; ++i)
            h[25 + i] = static_cast<char>(length >> (8 * i));
        image += h;
    };
    header(txLength);
    image += std::string(txLength, 'T');
    header(rxLength);
    image += std::string(rxLength, 'R');
    header(static_cast<uint32_t>(daemonLength));
    image += std::string(daemonLength, 'D');
    return image;
}

TEST(RadioApplicationCheck, AcceptsWhatTheLibraryCanSendAndNothingElse)
{
    const std::vector<uint8_t> data(64, 0x5A);
    EXPECT_EQ(imagechecks::radioApplicationFault(intelhex::write({{0x08008000, data}}, {64, true, 0x08008000})), "");
    EXPECT_NE(imagechecks::radioApplicationFault(intelhex::write({{0, std::vector<uint8_t>(65, 1)}}, {65, false, 0})),
              "")
        << "a 65-byte record does not fit the library's frame";
    EXPECT_NE(imagechecks::radioApplicationFault(":020000021000EC\n:00000001FF\n"), "")
        << "segment addresses are not sent";
    EXPECT_NE(imagechecks::radioApplicationFault(":10000000\n"), "");
    EXPECT_NE(imagechecks::radioApplicationFault(std::string(2048, '\xFF')), "") << "a binary image is no HEX text";
}

TEST(MacImageCheck, AllThreeRegionsMustLieInsideTheImage)
{
    EXPECT_EQ(imagechecks::macFault(macImage(100, 50, 0)), "") << "an empty daemon is allowed";
    const std::string whole = macImage(100, 50, 20);
    EXPECT_EQ(imagechecks::macFault(whole), "");
    EXPECT_NE(imagechecks::macFault(whole.substr(0, 32)), "");
    EXPECT_NE(imagechecks::macFault(whole.substr(0, 33 + 100 + 32)), "") << "RX header cut";
    EXPECT_NE(imagechecks::macFault(whole.substr(0, 33 + 100 + 33 + 50 + 32)), "") << "daemon header cut";
}

TEST(MacImageCheck, LengthsNearFourGigabytesDoNotWrapAround)
{
    std::string image = macImage(0, 0, 0);
    for (int i = 0; i < 4; ++i)
        image[25 + i] = '\xFF';
    EXPECT_NE(imagechecks::macFault(image), "");
    std::string rx = macImage(10, 0, 0);
    for (int i = 0; i < 4; ++i)
        rx[33 + 10 + 25 + i] = '\xFF';
    EXPECT_NE(imagechecks::macFault(rx), "");
}

TEST(XmegaImageCheck, DataMustFitTheFlash)
{
    EXPECT_EQ(imagechecks::xmegaFault(intelhex::write({{0x1FFF0, std::vector<uint8_t>(16, 1)}})), "");
    EXPECT_NE(imagechecks::xmegaFault(intelhex::write({{0x1FFF1, std::vector<uint8_t>(16, 1)}})), "");
    EXPECT_NE(imagechecks::xmegaFault(":10000000\n"), "");
}

}  // namespace
