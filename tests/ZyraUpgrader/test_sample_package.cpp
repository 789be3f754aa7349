// The generated sample package is complete and internally consistent.
#include "imagechecks.h"
#include "intelhex.h"
#include "package_images.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace samplepackage {
void PrintTo(const Description &package, std::ostream *out)
{
    *out << package.directory;
}
} // namespace samplepackage

namespace {

std::string readPackageFile(const samplepackage::Description &package, const char *name)
{
    QFile file(QString(ZYRA_SAMPLE_PACKAGE_DIR "/%1/%2").arg(package.directory.c_str(), name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll().toStdString();
}

class SamplePackage : public testing::TestWithParam<samplepackage::Description> {
};

TEST_P(SamplePackage, EveryImageFirmwareIniNamesPassesTheChecks)
{
    const samplepackage::Description &package = GetParam();
    QSettings ini(QString(ZYRA_SAMPLE_PACKAGE_DIR "/%1/firmware.ini").arg(package.directory.c_str()), QSettings::IniFormat);
    for (const char *side : {"TX", "RX"}) {
        const std::string app = ini.value(QString("FIRMWARE_%1/app").arg(side)).toString().toStdString();
        const std::string mac = ini.value(QString("FIRMWARE_%1/mac").arg(side)).toString().toStdString();
        EXPECT_EQ(imagechecks::radioApplicationFault(readPackageFile(package, app.c_str())), "") << app;
        EXPECT_EQ(imagechecks::macFault(readPackageFile(package, mac.c_str())), "") << mac;
    }
    for (const char *recovery : {"app-tx-recovery.hex", "app-rx-recovery.hex"})
        EXPECT_EQ(imagechecks::radioApplicationFault(readPackageFile(package, recovery)), "") << recovery;
}

TEST_P(SamplePackage, XmegaImageCarriesTheVersionOfXmegaVersionAtItsMarker)
{
    const samplepackage::Description &package = GetParam();
    const intelhex::ParseResult image = intelhex::parse(readPackageFile(package, "firmware.hex"));
    ASSERT_EQ(imagechecks::xmegaFault(readPackageFile(package, "firmware.hex")), "");
    std::string marker;
    for (const intelhex::Chunk &chunk : image.chunks) {
        if (chunk.address == samplepackage::xmegaVersionAddress)
            marker.assign(chunk.bytes.begin(), chunk.bytes.end());
    }
    const std::string version = readPackageFile(package, "XMEGA_VERSION");
    EXPECT_EQ(marker, "FWv" + package.xmegaVersion + std::string(1, '\0'));
    EXPECT_EQ(version, package.xmegaVersion + "\n");
    EXPECT_EQ(readPackageFile(package, "VERSION"), package.version + "\n");
}

TEST_P(SamplePackage, MacImageHoldsEachSidesRegionAfterItsHeader)
{
    const samplepackage::Description &package = GetParam();
    const std::string image = readPackageFile(package, "mac.bin");
    const std::vector<uint8_t> tx = samplepackage::macRegion(package, 1);
    const std::vector<uint8_t> rx = samplepackage::macRegion(package, 2);
    EXPECT_EQ(image.substr(33, tx.size()), std::string(tx.begin(), tx.end()));
    EXPECT_EQ(image.substr(66 + tx.size(), rx.size()), std::string(rx.begin(), rx.end()));
    EXPECT_EQ(image.size(), 99 + tx.size() + rx.size() + samplepackage::macDaemonBytes);
}

INSTANTIATE_TEST_SUITE_P(BothPackages, SamplePackage, testing::ValuesIn(samplepackage::samplePackages()),
                         [](const testing::TestParamInfo<samplepackage::Description> &info) { return info.param.directory; });

} // namespace
