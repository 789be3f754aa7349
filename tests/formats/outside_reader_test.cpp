// Every Intel HEX file the program or the sample package writes, read back
// by an outside tool (srecord's srec_cat and srec_info) and found to hold
// the bytes meant: the fan-control EEPROM file the worker hands to
// dfu-programmer, the XMEGA images and the radio images of both packages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "intelhex.h"
#include "package_images.h"
#include "test_files.h"
#include "vx_zyra.h"

namespace {

const std::string srecCat = ZYRA_SREC_CAT;
const std::string srecInfo = ZYRA_SREC_INFO;

using zyra_test::readFile;
using zyra_test::writeTemporary;

std::string hexNumber(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// What srec_cat reads from `length` bytes at `base`, gaps as 0xFF; empty
// when it refuses the file.
std::vector<uint8_t> readBySrecCat(const std::string &file, uint32_t base, uint32_t length)
{
    const std::string out = testing::TempDir() + "srec_cat.bin";
    std::remove(out.c_str());
    const std::string command = srecCat + " '" + file + "' -intel -crop " + hexNumber(base) + " " +
                                hexNumber(base + length) + " -offset -" + hexNumber(base) + " -fill 0xFF 0 " +
                                hexNumber(length) + " -o '" + out + "' -binary";
    if (std::system(command.c_str()) != 0)
        return {};
    const std::string bytes = readFile(out);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string srecInfoOf(const std::string &file)
{
    const std::string out = testing::TempDir() + "srec_info.txt";
    const std::string command = srecInfo + " '" + file + "' -intel > '" + out + "' 2>&1";
    return std::system(command.c_str()) == 0 ? readFile(out) : std::string();
}

// The fan-control EEPROM file as the worker writes it: the library's raw
// image in the program's Intel HEX form.
std::vector<uint8_t> fanControlRaw(uint8_t mode)
{
    eeprom_settings settings{mode};
    std::string path = testing::TempDir() + "fan-control.raw";
    vx_zyra_write_eeprom_settings(path.data(), &settings);
    const std::string raw = readFile(path);
    return std::vector<uint8_t>(raw.begin(), raw.end());
}

struct Row {
    std::string name;
    std::string file;
    uint32_t base;
    std::vector<uint8_t> meant;  // from base on, 0xFF where the file has nothing
    std::string startAddress;    // as srec_info names it, or "" for none
};

TEST(OutsideReader, ReadsEveryIntelHexFileAsTheBytesMeant)
{
    std::cout << "outside reader: " << srecCat << ", " << srecInfo << "\n";
    std::vector<Row> rows;
    for (uint8_t mode : {0, 2}) {
        const std::vector<uint8_t> raw = fanControlRaw(mode);
        ASSERT_EQ(raw.size(), 2048u);
        rows.push_back({"fan-control EEPROM file, mode " + std::to_string(mode),
                        writeTemporary("fan-control-" + std::to_string(mode) + ".eep", intelhex::write({{0, raw}})), 0,
                        raw, ""});
    }
    for (const samplepackage::Description &package : samplepackage::samplePackages()) {
        const std::string folder = std::string(ZYRA_SAMPLE_PACKAGE_DIR) + "/" + package.directory + "/";
        std::vector<uint8_t> xmega(samplepackage::xmegaVersionAddress + 512, 0xFF);
        const std::vector<uint8_t> code = samplepackage::xmegaCode(package);
        std::copy(code.begin(), code.end(), xmega.begin());
        const std::string marker = "FWv" + package.xmegaVersion;
        std::copy(marker.begin(), marker.end() + 1, xmega.begin() + samplepackage::xmegaVersionAddress);
        rows.push_back({package.directory + "/firmware.hex", folder + "firmware.hex", 0, xmega, ""});
        for (uint8_t side : {1, 2}) {
            for (bool recovery : {false, true}) {
                const std::string name =
                    std::string("app-") + (side == 1 ? "tx" : "rx") + (recovery ? "-recovery" : "") + ".hex";
                rows.push_back({package.directory + "/" + name, folder + name, samplepackage::applicationBase,
                                samplepackage::radioApplicationData(package, side, recovery), "08005800"});
            }
        }
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> read = readBySrecCat(row.file, row.base, static_cast<uint32_t>(row.meant.size()));
        EXPECT_TRUE(read == row.meant) << "srec_cat read " << read.size() << " bytes";
        const std::string info = srecInfoOf(row.file);
        EXPECT_NE(info.find("Format: Intel Hexadecimal"), std::string::npos) << info;
        if (row.startAddress.empty())
            EXPECT_EQ(info.find("Execution Start Address"), std::string::npos) << info;
        else
            EXPECT_NE(info.find("Execution Start Address: " + row.startAddress), std::string::npos) << info;
    }
}

}  // namespace
