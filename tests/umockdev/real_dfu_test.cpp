// The unchanged dfu-programmer of the system, run as a child process
// against the emulated XMEGA bootloader behind umockdev, with each command
// line the worker uses. Run under umockdev-wrapper.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "dfu_usbfs_device.h"
#include "intelhex.h"
#include "outside_tool.h"
#include "test_files.h"
#include "vx_zyra.h"
#include "xmega_bootloader.h"

namespace {

using zyra_umockdev::DfuUsbfsDevice;
using zyra_umockdev::ToolRun;
using zyra_umockdev::XmegaBootloader;

const std::string tool = ZYRA_REAL_DFU_PROGRAMMER;
const std::string packageHex = std::string(ZYRA_SAMPLE_PACKAGE_DIR) + "/firmware/firmware.hex";
// 0.6.1 counts the top 8 KiB of the flash as boot section.
const size_t applicationEnd = 0x1E000;

using zyra_test::readFile;
using zyra_test::writeTemporary;

// The flash a HEX file means: its bytes over an erased chip.
std::vector<uint8_t> flashOf(const std::string &hexText)
{
    std::vector<uint8_t> flash(XmegaBootloader::flashBytes, 0xFF);
    for (const intelhex::Chunk &chunk : intelhex::parse(hexText).chunks)
        std::copy(chunk.bytes.begin(), chunk.bytes.end(), flash.begin() + chunk.address);
    return flash;
}

// The fan-control EEPROM image as the program writes it: the library's raw
// 2048 bytes, then the worker's Intel HEX form of them.
std::string fanControlImage(uint8_t mode)
{
    eeprom_settings settings{mode};
    std::string path = testing::TempDir() + "fan-control.raw";
    vx_zyra_write_eeprom_settings(path.data(), &settings);
    return readFile(path);
}

std::string asHex(const std::string &raw)
{
    return intelhex::write({{0, std::vector<uint8_t>(raw.begin(), raw.end())}});
}

class RealDfu : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { std::cout << "dfu-programmer run: " << zyra_umockdev::toolIdentity(tool) << "\n"; }

    void SetUp() override
    {
        bootloader_ = std::make_unique<XmegaBootloader>();
        device_ = std::make_unique<DfuUsbfsDevice>(*bootloader_);
        if (!umockdev_in_mock_environment())
            GTEST_SKIP() << "not running under umockdev-wrapper";
        device_->plug();
    }

    ToolRun dfu(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "atxmega128a4u");
        return zyra_umockdev::runTool(tool, arguments);
    }

    std::unique_ptr<XmegaBootloader> bootloader_;
    std::unique_ptr<DfuUsbfsDevice> device_;
};

struct Row {
    const char *name;
    // Runs of the tool before the one checked.
    std::vector<std::vector<std::string>> before;
    std::vector<std::string> arguments;
    int exitCode;
    const char *standardError;  // a line the run writes there, or ""
    std::function<void(const XmegaBootloader &, const ToolRun &)> check;
};

TEST_F(RealDfu, EachCommandLineOfTheWorker)
{
    const std::string firmware = readFile(packageHex);
    const std::vector<uint8_t> flashed = flashOf(firmware);
    const std::string fanControl = fanControlImage(2);
    const std::string eepromHex = writeTemporary("fan-control.eep", asHex(fanControl));
    const std::string eepromRaw = writeTemporary("fan-control.bin", fanControl);
    // Code in the top 8 KiB, which 0.6.1 takes for the bootloader.
    const std::string overreaching = intelhex::write({{0, {0x0C, 0x94}}, {0x1E000, std::vector<uint8_t>(0x100, 0x42)}});
    const std::string tooLong = writeTemporary("too-long.hex", overreaching);
    const std::vector<std::string> erase{"erase"};
    const std::vector<std::string> flash{"flash", "--suppress-bootloader-mem", packageHex};

    const std::vector<Row> rows{
        {"erase blanks the whole flash",
         {flash},
         erase,
         0,
         "",
         [](const XmegaBootloader &b, const ToolRun &) {
             EXPECT_TRUE(std::all_of(b.flash().begin(), b.flash().end(), [](uint8_t c) { return c == 0xFF; }));
         }},
        {"flash writes the package's firmware.hex",
         {erase},
         flash,
         0,
         "Validating...",
         [&](const XmegaBootloader &b, const ToolRun &) { EXPECT_TRUE(b.flash() == flashed); }},
        {"flash without an erase first fails its validation",
         {erase, {"flash", "--suppress-bootloader-mem", tooLong}},
         flash,
         1,
         "Flash did not validate. Did you erase first?",
         [](const XmegaBootloader &, const ToolRun &) {}},
        {"--suppress-bootloader-mem drops what lies from 0x1E000 on",
         {erase},
         {"flash", "--suppress-bootloader-mem", tooLong},
         0,
         "",
         [](const XmegaBootloader &b, const ToolRun &) {
             EXPECT_EQ(b.flash()[0], 0x0C);
             EXPECT_TRUE(
                 std::all_of(b.flash().begin() + applicationEnd, b.flash().end(), [](uint8_t c) { return c == 0xFF; }));
         }},
        {"without it 0.6.1 refuses code in the top 8 KiB",
         {erase},
         {"flash", tooLong},
         1,
         "Bootloader and code overlap.",
         [](const XmegaBootloader &b, const ToolRun &) { EXPECT_EQ(b.flash()[0], 0xFF); }},
        // 0.6.1 writes the EEPROM but validates it against the flash it
        // reads back (it selects the flash unit for both): after a firmware
        // flash the run fails although the EEPROM holds the image.
        {"flash-eeprom writes the program's Intel HEX image",
         {erase, flash},
         {"flash-eeprom", eepromHex},
         1,
         "Eeprom did not validate.",
         [&](const XmegaBootloader &b, const ToolRun &) {
             EXPECT_EQ(std::string(b.eeprom().begin(), b.eeprom().end()), fanControl);
         }},
        // What the worker runs instead: the write without that validation.
        {"flash-eeprom --suppress-validation writes without the false check",
         {erase, flash},
         {"flash-eeprom", "--suppress-validation", eepromHex},
         0,
         "",
         [&](const XmegaBootloader &b, const ToolRun &) {
             EXPECT_EQ(std::string(b.eeprom().begin(), b.eeprom().end()), fanControl);
         }},
        // Nor can the EEPROM be read back: dump-eeprom reads the flash as well.
        {"dump-eeprom reads the flash, not the EEPROM",
         {erase, flash, {"flash-eeprom", "--suppress-validation", eepromHex}},
         {"dump-eeprom"},
         0,
         "",
         [&](const XmegaBootloader &, const ToolRun &run) {
             EXPECT_EQ(run.standardOutput, std::string(flashed.begin(), flashed.begin() + 2048));
         }},
        {"flash-eeprom refuses the raw 2048-byte image",
         {},
         {"flash-eeprom", eepromRaw},
         1,
         "Something went wrong with creating the memory image.",
         [](const XmegaBootloader &b, const ToolRun &) {
             EXPECT_TRUE(std::all_of(b.eeprom().begin(), b.eeprom().end(), [](uint8_t c) { return c == 0xFF; }));
         }},
        {"dump writes the application flash with the version text at its last 512 bytes",
         {erase, flash},
         {"dump"},
         0,
         "",
         [&](const XmegaBootloader &, const ToolRun &run) {
             ASSERT_EQ(run.standardOutput.size(), applicationEnd);
             const std::vector<uint8_t> dumped(run.standardOutput.begin(), run.standardOutput.end());
             EXPECT_TRUE(std::equal(dumped.begin(), dumped.end(), flashed.begin()));
             const std::string version = readFile(std::string(ZYRA_SAMPLE_PACKAGE_DIR) + "/firmware/XMEGA_VERSION");
             const std::string marker = "FWv" + version.substr(0, version.find('\n'));
             EXPECT_EQ(run.standardOutput.substr(applicationEnd - 512, marker.size()), marker);
         }},
        {"start leaves the bootloader",
         {},
         {"start"},
         0,
         "",
         [](const XmegaBootloader &b, const ToolRun &) { EXPECT_TRUE(b.started()); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        device_.reset();
        bootloader_ = std::make_unique<XmegaBootloader>();
        device_ = std::make_unique<DfuUsbfsDevice>(*bootloader_);
        device_->plug();
        for (const std::vector<std::string> &arguments : row.before)
            ASSERT_EQ(dfu(arguments).exitCode, 0) << arguments[0];
        const ToolRun run = dfu(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.standardError;
        EXPECT_NE(run.standardError.find(row.standardError), std::string::npos) << run.standardError;
        row.check(*bootloader_, run);
    }
}

}  // namespace
