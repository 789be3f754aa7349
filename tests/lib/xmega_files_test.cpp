// The video module's files: the version text in an XMEGA flash image and the
// fan-control setting in the 2048-byte EEPROM image, on temporary files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
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

Bytes nulAfter(const std::string &text)
{
    return flashImage(text + '\0' + 'X');
}

Bytes cutAfter(const std::string &text)
{
    Bytes image = flashImage(text);
    image.resize(kVersionOffset + text.size());
    return image;
}

struct VersionRow {
    const char *name;
    // The file's content; none: no file at all.
    std::optional<Bytes> image;
    int capacity;
    int result;
    // What the buffer then holds; a failure leaves its "old" in place.
    std::string text;
};

void PrintTo(const VersionRow &row, std::ostream *out)
{
    *out << row.name;
}

class XmegaVersion : public TempDir, public ::testing::WithParamInterface<VersionRow>
{
};

TEST_P(XmegaVersion, ReadsTheTextAfterFwWithinTheBuffer)
{
    const VersionRow &row = GetParam();
    std::string file = row.image ? writeFile("flash.bin", *row.image) : path("absent.bin");
    // One byte over the capacity for the terminator, no more: a write past
    // it is an overflow the sanitizer sees.
    std::vector<char> version(static_cast<size_t>(row.capacity) + 1, '#');
    std::strcpy(version.data(), "old");
    EXPECT_EQ(vx_zyra_xmega_version(file.data(), version.data(), row.capacity), row.result);
    const size_t length = strnlen(version.data(), version.size());
    ASSERT_LT(length, version.size()) << "the text must be terminated within the buffer";
    EXPECT_EQ(std::string(version.data(), length), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Images, XmegaVersion,
    ::testing::Values(VersionRow{"EndsAtTheErasedByte", flashImage("FW2.14.1"), 32, 0, "2.14.1"},
                      VersionRow{"EndsAtANulByte", nulAfter("FW3.0"), 32, 0, "3.0"},
                      VersionRow{"EndsAtTheEndOfTheFile", cutAfter("FW1.7"), 32, 0, "1.7"},
                      VersionRow{"LongTextCutAtTheLimit", flashImage("FW1234567890"), 5, 0, "12345"},
                      VersionRow{"EmptyText", flashImage("FW"), 7, 0, ""},
                      VersionRow{"MissingMarker", flashImage("Fw2.1"), 7, 1, "old"},
                      VersionRow{"EmptyImage", flashImage("FW9", 0), 7, 1, "old"},
                      VersionRow{"ImageEndingAtTheMarker", flashImage("FW9", kVersionOffset), 7, 1, "old"},
                      VersionRow{"ImageEndingInTheMarker", flashImage("FW9", kVersionOffset + 1), 7, 1, "old"},
                      VersionRow{"MissingFile", std::nullopt, 7, 1, "old"}),
    [](const ::testing::TestParamInfo<VersionRow> &row) { return std::string(row.param.name); });

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

// Whatever the file held, a write leaves the marker, the setting's low four
// bits and erased bytes.
TEST_F(EepromSettings, WriteStoresMarkerSettingAndErasedBytes)
{
    struct Row {
        const char *name;
        std::optional<Bytes> before;
        uint8_t setting;
        Bytes after;
    };
    const Row rows[] = {{"new.bin", std::nullopt, 2, image(0x55, 0x02)},
                        {"high-bits.bin", std::nullopt, 0x13, image(0x55, 0x03)},
                        {"longer.bin", Bytes(5000, 0x11), 1, image(0x55, 0x01)}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string file = row.before ? writeFile(row.name, *row.before) : path(row.name);
        eeprom_settings settings{row.setting};
        ASSERT_EQ(vx_zyra_write_eeprom_settings(file.data(), &settings), 0);
        EXPECT_EQ(readFile(file), row.after);
    }
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

// A read takes the low four bits of byte one; a file without a setting
// fails the read and leaves the caller's value.
TEST_F(EepromSettings, ReadGivesTheLowFourBitsOfByteOneOrLeavesTheSettings)
{
    struct Row {
        const char *name;
        std::optional<Bytes> content;
        int result;
        uint8_t mode;
    };
    const Row rows[] = {{"set.bin", image(0x55, 0xF2), 0, 2},
                        {"erased.bin", Bytes(2048, 0xFF), -1, 7},
                        {"cut-before-the-setting.bin", Bytes{0x55}, -1, 7},
                        {"absent.bin", std::nullopt, -1, 7}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string file = row.content ? writeFile(row.name, *row.content) : path(row.name);
        eeprom_settings settings{7};
        EXPECT_EQ(vx_zyra_read_eeprom_settings(file.data(), &settings), row.result);
        EXPECT_EQ(settings.fan_ctrl_mode, row.mode);
    }
}

}  // namespace
