// The video module's files: the version text in an XMEGA flash image and the
// fan-control setting in the 2048-byte EEPROM image, on temporary files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vx_zyra.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kVersionOffset = 0x1DE00;

class TempDir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "zyra_xmega_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        for (const std::string &file : created_)
            std::remove(file.c_str());
        rmdir(dir_.c_str());
    }

    std::string path(const std::string &name)
    {
        created_.push_back(dir_ + "/" + name);
        return created_.back();
    }

    std::string writeFile(const std::string &name, const Bytes &content)
    {
        std::string p = path(name);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char *>(content.data()), static_cast<std::streamsize>(content.size()));
        return p;
    }

    static Bytes readFile(const std::string &p)
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string dir_;
    std::vector<std::string> created_;
};

// A flash image of the dump's size with text placed at the version offset.
Bytes flashImage(const std::string &atVersionOffset, size_t size = 0x1E000)
{
    Bytes image(size, 0xFF);
    for (size_t i = 0; i < atVersionOffset.size() && kVersionOffset + i < size; ++i)
        image[kVersionOffset + i] = static_cast<uint8_t>(atVersionOffset[i]);
    return image;
}

using XmegaVersion = TempDir;

TEST_F(XmegaVersion, TextAfterFwEndsAtTheErasedByte)
{
    std::string file = writeFile("flash.bin", flashImage("FW2.14.1"));
    char version[33] = "unchanged";
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 32), 0);
    EXPECT_STREQ(version, "2.14.1");
}

TEST_F(XmegaVersion, TextEndsAtANulByte)
{
    Bytes image = flashImage("FW3.0");
    image[kVersionOffset + 5] = 0x00;
    image[kVersionOffset + 6] = 'X';
    std::string file = writeFile("flash.bin", image);
    char version[33];
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 32), 0);
    EXPECT_STREQ(version, "3.0");
}

TEST_F(XmegaVersion, TextEndsAtTheEndOfTheFile)
{
    Bytes image = flashImage("FW1.7");
    image.resize(kVersionOffset + 5);
    std::string file = writeFile("flash.bin", image);
    char version[33];
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 32), 0);
    EXPECT_STREQ(version, "1.7");
}

TEST_F(XmegaVersion, LongTextIsCutAtTheLimitAndTerminatedAfterIt)
{
    std::string file = writeFile("flash.bin", flashImage("FW1234567890"));
    char version[6];
    std::memset(version, '#', sizeof version);
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 5), 0);
    EXPECT_EQ(std::string(version, 6), std::string("12345\0", 6));
}

TEST_F(XmegaVersion, EmptyTextIsFoundAndEmpty)
{
    std::string file = writeFile("flash.bin", flashImage("FW"));
    char version[8] = "old";
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 7), 0);
    EXPECT_STREQ(version, "");
}

TEST_F(XmegaVersion, MissingMarkerIsNotAVersion)
{
    std::string file = writeFile("flash.bin", flashImage("Fw2.1"));
    char version[8] = "old";
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 7), 1);
    EXPECT_STREQ(version, "old");
}

TEST_F(XmegaVersion, ImageEndingBeforeTheMarkerIsNotAVersion)
{
    for (size_t size : {size_t{0}, kVersionOffset, kVersionOffset + 1}) {
        std::string file = writeFile("short" + std::to_string(size), flashImage("FW9", size));
        char version[8] = "old";
        EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 7), 1) << "image of " << size << " bytes";
        EXPECT_STREQ(version, "old");
    }
}

TEST_F(XmegaVersion, MissingFileIsNotAVersion)
{
    std::string file = path("absent.bin");
    char version[8] = "old";
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version, 7), 1);
}

class EepromSettings : public TempDir
{
protected:
    static Bytes image(uint8_t marker, uint8_t setting)
    {
        Bytes bytes(2048, 0xFF);
        bytes[0] = marker;
        bytes[1] = setting;
        return bytes;
    }
};

TEST_F(EepromSettings, WriteStoresMarkerSettingAndErasedBytes)
{
    std::string file = path("eeprom.bin");
    eeprom_settings settings{2};
    ASSERT_EQ(vx_zyra_write_eeprom_settings(file.data(), &settings), 0);
    EXPECT_EQ(readFile(file), image(0x55, 0x02));
}

TEST_F(EepromSettings, WriteKeepsOnlyTheLowFourBits)
{
    std::string file = path("eeprom.bin");
    eeprom_settings settings{0x13};
    ASSERT_EQ(vx_zyra_write_eeprom_settings(file.data(), &settings), 0);
    EXPECT_EQ(readFile(file)[1], 0x03);
}

TEST_F(EepromSettings, WriteReplacesALongerFileWhole)
{
    std::string file = writeFile("eeprom.bin", Bytes(5000, 0x11));
    eeprom_settings settings{1};
    ASSERT_EQ(vx_zyra_write_eeprom_settings(file.data(), &settings), 0);
    EXPECT_EQ(readFile(file), image(0x55, 0x01));
}

TEST_F(EepromSettings, WrittenFileIsDataReadableByAllSubjectToTheUmask)
{
    std::string file = path("eeprom.bin");
    eeprom_settings settings{1};
    mode_t old = umask(0022);
    int rc = vx_zyra_write_eeprom_settings(file.data(), &settings);
    umask(old);
    ASSERT_EQ(rc, 0);
    struct stat st {
    };
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "0666 less the umask 022, never executable";
}

TEST_F(EepromSettings, WriteIntoAMissingDirectoryFails)
{
    std::string file = path("no_such_dir/eeprom.bin");
    eeprom_settings settings{1};
    EXPECT_EQ(vx_zyra_write_eeprom_settings(file.data(), &settings), -1);
}

TEST_F(EepromSettings, ReadGivesTheLowFourBitsOfByteOne)
{
    std::string file = writeFile("eeprom.bin", image(0x55, 0xF2));
    eeprom_settings settings{9};
    EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &settings), 0);
    EXPECT_EQ(settings.fan_ctrl_mode, 2);
}

TEST_F(EepromSettings, ReadOfWhatWriteWroteRoundTrips)
{
    std::string file = path("eeprom.bin");
    for (uint8_t mode : {0, 1, 2}) {
        eeprom_settings written{mode};
        ASSERT_EQ(vx_zyra_write_eeprom_settings(file.data(), &written), 0);
        eeprom_settings read{0xEE};
        EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &read), 0);
        EXPECT_EQ(read.fan_ctrl_mode, mode);
    }
}

TEST_F(EepromSettings, ErasedEepromLeavesTheSettingsUntouched)
{
    std::string file = writeFile("eeprom.bin", Bytes(2048, 0xFF));
    eeprom_settings settings{7};
    EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &settings), -1);
    EXPECT_EQ(settings.fan_ctrl_mode, 7);
}

TEST_F(EepromSettings, FileCutBeforeTheSettingHoldsNone)
{
    std::string file = writeFile("eeprom.bin", Bytes{0x55});
    eeprom_settings settings{7};
    EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &settings), -1);
    EXPECT_EQ(settings.fan_ctrl_mode, 7);
}

TEST_F(EepromSettings, MissingFileFails)
{
    std::string file = path("absent.bin");
    eeprom_settings settings{7};
    EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &settings), -1);
    EXPECT_EQ(settings.fan_ctrl_mode, 7);
}

}  // namespace
