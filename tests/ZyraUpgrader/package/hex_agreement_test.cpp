// The program's pre-flight check of a radio application image and the
// library's image stage judge the same texts alike: what the check passes
// the library sends whole, and what the library would refuse after the
// unit's application was erased the check refuses first.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "imagechecks.h"
#include "intelhex.h"
#include "unit_fixture.h"

namespace zyra_test {
namespace {

constexpr uint32_t kImageAddress = 0x08005C00;

std::string record(uint8_t type, uint16_t offset, const Bytes &data)
{
    std::string line;
    intelhex::appendRecord(&line, type, offset, data.data(), data.size());
    return line;
}

Bytes countingFrom(uint8_t first, size_t count)
{
    Bytes data;
    for (size_t i = 0; i < count; ++i)
        data.push_back(static_cast<uint8_t>(first + i));
    return data;
}

const std::string kUpper = record(intelhex::ExtendedLinearAddress, 0, {0x08, 0x00});
const std::string kFirst = record(intelhex::Data, 0x5C00, countingFrom(0x10, 16));
const std::string kSecond = record(intelhex::Data, 0x5C10, countingFrom(0x20, 16));
const std::string kEnd = record(intelhex::EndOfFile, 0, {});
const std::string kGood = kUpper + kFirst + kSecond + kEnd;

// The text with every occurrence of `from` replaced by `to`.
std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The good image with `line` in place of its second data record.
std::string withSecond(const std::string &line)
{
    return kUpper + kFirst + line + kEnd;
}

enum class Verdict {
    Accepted,
    Refused,
    // The one documented difference: the library sends a text cut off
    // before its end-of-file record and completes the update, the
    // pre-flight refuses it as a cut-off download.
    SentButNotPassed
};

struct Row {
    const char *name;
    std::string text;
    Verdict verdict;
    // Where the first data record's bytes land when the library sends it.
    uint32_t firstAddress = kImageAddress;
    Bytes firstData = countingFrom(0x10, 16);
};

std::vector<Row> rows()
{
    std::string badChecksum = kSecond;
    badChecksum[badChecksum.size() - 2] = badChecksum[badChecksum.size() - 2] == '0' ? '1' : '0';
    std::string shortRecord = kSecond;
    shortRecord.erase(shortRecord.size() - 5, 2);
    const std::string crossing = record(intelhex::Data, 0xFFF8, countingFrom(0x40, 16));
    return {
        {"good", kGood, Verdict::Accepted},
        {"crLfLineEnds", replaced(kGood, "\n", "\r\n"), Verdict::Accepted},
        {"trailingBlanks", replaced(kGood, "\n", " \t\r\n"), Verdict::Accepted},
        {"lastLineWithoutLineFeed", kGood.substr(0, kGood.size() - 1), Verdict::Accepted},
        {"textAfterTheEndRecordIsNotRead", kGood + "not hex at all\n\n", Verdict::Accepted},
        {"recordCrossing64KiB", kUpper + crossing + kEnd, Verdict::Accepted, 0x0800FFF8, countingFrom(0x40, 16)},
        {"startAddressRecords",
         kUpper + kFirst + record(intelhex::StartSegmentAddress, 0, {0, 0, 0x38, 0}) +
             record(intelhex::StartLinearAddress, 0, {0x08, 0, 0x5C, 0}) + kEnd,
         Verdict::Accepted},
        {"emptyLineInside", withSecond("\n" + kSecond), Verdict::Refused},
        {"blankLineInside", withSecond(" \r\n" + kSecond), Verdict::Refused},
        {"crOnlyLineEnds", replaced(kGood, "\n", "\r"), Verdict::Refused},
        {"textAfterTheChecksum", withSecond(kSecond.substr(0, kSecond.size() - 1) + " ;\n"), Verdict::Refused},
        {"badChecksum", withSecond(badChecksum), Verdict::Refused},
        {"shortRecord", withSecond(shortRecord), Verdict::Refused},
        {"segmentAddressType02", withSecond(record(intelhex::ExtendedSegmentAddress, 0, {0x10, 0x00})),
         Verdict::Refused},
        {"unknownType06", withSecond(record(6, 0, {})), Verdict::Refused},
        {"dataRecordOf65Bytes", withSecond(record(intelhex::Data, 0x5C10, countingFrom(0, 65))), Verdict::Refused},
        {"endRecordWithData", kUpper + kFirst + record(intelhex::EndOfFile, 0, {0}), Verdict::Refused},
        {"addressRecordOfThreeBytes", withSecond(record(intelhex::ExtendedLinearAddress, 0, {0x08, 0, 0})),
         Verdict::Refused},
        {"noEndRecord", kUpper + kFirst + kSecond, Verdict::SentButNotPassed},
    };
}

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

void *collectMessages(char *message, int, void *messages)
{
    static_cast<std::vector<std::string> *>(messages)->push_back(message);
    return nullptr;
}

class HexAgreement : public UnitTest, public ::testing::WithParamInterface<Row>
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        std::fill(std::begin(vx_zyra_app_buf), std::end(vx_zyra_app_buf), 0);
        ASSERT_EQ(vx_zyra_get_info(&h), 0);
    }
};

TEST_P(HexAgreement, PreFlightPassesExactlyWhatTheLibrarySendsWhole)
{
    const Row &row = GetParam();
    const bool passed = imagechecks::radioApplicationFault(row.text).empty();
    std::vector<std::string> messages;
    const int rc = vx_zyra_update_app_array(&h, reinterpret_cast<const uint8_t *>(row.text.data()),
                                            static_cast<uint32_t>(row.text.size()), collectMessages, &messages);
    if (row.verdict == Verdict::SentButNotPassed) {
        EXPECT_FALSE(passed);
        EXPECT_EQ(rc, 0) << h.error_msg;
    } else {
        EXPECT_EQ(passed, row.verdict == Verdict::Accepted) << imagechecks::radioApplicationFault(row.text);
        EXPECT_EQ(rc == 0, passed) << h.error_msg;
    }
    if (rc != 0) {
        expectFailure(h, rc, 10, "Failed to send firmware data block");
        EXPECT_EQ(std::count(messages.begin(), messages.end(), "APP erased"), 1) << "refused in the image stage";
        EXPECT_EQ(std::count(messages.begin(), messages.end(), "complete"), 0);
    } else {
        EXPECT_EQ(messages.back(), "complete");
        EXPECT_EQ(unit->flash(row.firstAddress, row.firstData.size()), row.firstData);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, HexAgreement, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row> &row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zyra_test
