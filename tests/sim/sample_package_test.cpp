// The generated sample package agrees with itself; that its images reach
// the unit intact is shown by the worker tests.
#include "imagechecks.h"
#include "intelhex.h"
#include "package_images.h"

#include <QFile>

#include <gtest/gtest.h>

namespace samplepackage {
void PrintTo(const Description &package, std::ostream *out)
{
    *out << package.directory;
}
}  // namespace samplepackage

namespace {

std::string readPackageFile(const samplepackage::Description &package, const char *name)
{
    QFile file(QString(ZYRA_SAMPLE_PACKAGE_DIR "/%1/%2").arg(package.directory.c_str(), name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll().toStdString();
}

class SamplePackage : public testing::TestWithParam<samplepackage::Description>
{
};

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

INSTANTIATE_TEST_SUITE_P(BothPackages, SamplePackage, testing::ValuesIn(samplepackage::samplePackages()),
                         [](const testing::TestParamInfo<samplepackage::Description> &row) {
                             return row.param.directory;
                         });

}  // namespace
