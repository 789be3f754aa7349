// One Intel HEX record at a time: the FW_DATA_BLOCK each data record becomes
// (word count, 32-bit address, data), the results of the other record
// types, the upper address they carry, and the records refused.
#include <cstring>
#include <string>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

class HexRecords : public UnitTest
{
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        std::memset(vx_zyra_app_buf, 0, sizeof vx_zyra_app_buf);
    }

    int send(const std::string &line) { return vx_zyra_send_app_line(&h, line.c_str()); }

    std::vector<Bytes> blocks() const { return payloadsSent(wire::FW_DATA_BLOCK); }

    static std::string hexOf(const Bytes &bytes)
    {
        static const char digits[] = "0123456789ABCDEF";
        std::string text;
        for (uint8_t b : bytes) {
            text += digits[b >> 4];
            text += digits[b & 0x0F];
        }
        return text;
    }

    // A data record of n bytes 0, 1, 2, ... at the 16-bit address.
    static std::string dataRecord(size_t n, uint16_t address)
    {
        Bytes fields = {static_cast<uint8_t>(n), static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0};
        for (size_t i = 0; i < n; ++i)
            fields.push_back(static_cast<uint8_t>(i));
        return ":" + hexOf(fields) + "00";
    }
};

using DataBlocks = HexRecords;

TEST_F(DataBlocks, SixteenBytesAtAnUpperAddressGiveWordCountFourAndTheLinearAddress)
{
    ASSERT_EQ(send(":020000040800F2"), 4);
    ASSERT_EQ(send(dataRecord(16, 0x0100)), 0);
    const auto sent = blocks();
    ASSERT_EQ(sent.size(), 1u);
    Bytes expected = {0x04, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08};
    for (uint8_t i = 0; i < 16; ++i)
        expected.push_back(i);
    EXPECT_EQ(sent[0], expected);
}

TEST_F(DataBlocks, WordCountRoundsUpToWholeWords)
{
    const std::pair<size_t, uint8_t> cases[] = {{1, 1}, {3, 1}, {4, 1}, {5, 2}, {8, 2}, {63, 16}, {64, 16}};
    for (const auto &[bytes, words] : cases) {
        unit->clearFrames();
        ASSERT_EQ(send(dataRecord(bytes, 0)), 0);
        ASSERT_EQ(blocks().size(), 1u);
        EXPECT_EQ(blocks()[0][0], words) << bytes << " data bytes";
        EXPECT_EQ(blocks()[0].size(), bytes + 8) << "payload is word count, address and the data";
    }
}

TEST_F(DataBlocks, SixtyFourBytesMakeOneWholeSeventySevenByteFrame)
{
    ASSERT_EQ(send(dataRecord(64, 0xFFC0)), 0);
    const auto frames = unit->framesWithCode(wire::FW_DATA_BLOCK);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].framed) << "length and checksum agree with the frame";
    EXPECT_EQ(frames[0].bytes.size(), 77u);
    EXPECT_EQ(frames[0].payload[71], 63) << "the last data byte";
}

TEST_F(DataBlocks, EmptyDataRecordSendsAnEmptyBlock)
{
    ASSERT_EQ(send(":0000100000"), 0);
    EXPECT_EQ(blocks(), (std::vector<Bytes>{Bytes{0, 0, 0, 0, 0x10, 0x00, 0, 0}}));
}

TEST_F(DataBlocks, LowercaseDigitsAreHexToo)
{
    ASSERT_EQ(send(":02abcd00feed00"), 0);
    EXPECT_EQ(blocks(), (std::vector<Bytes>{Bytes{1, 0, 0, 0, 0xCD, 0xAB, 0, 0, 0xFE, 0xED}}));
}

TEST_F(DataBlocks, TextAfterTheRecordIsNotRead)
{
    const char line[] = ":01000000AA55";
    char exact[sizeof line - 1];
    std::memcpy(exact, line, sizeof exact);
    ASSERT_EQ(vx_zyra_send_app_line(&h, exact), 0) << "no NUL needed after the checksum";
    EXPECT_EQ(blocks(), (std::vector<Bytes>{Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xAA}}));
}

TEST_F(DataBlocks, SendErrorIsReturned)
{
    unit->dropOffBus(60'000);
    EXPECT_EQ(send(dataRecord(4, 0)), LIBUSB_ERROR_NO_DEVICE);
}

using UpperAddress = HexRecords;

TEST_F(UpperAddress, StoredInTheTemplateHighByteInByteEleven)
{
    ASSERT_EQ(send(":02000004ABCD84"), 4);
    EXPECT_EQ(vx_zyra_app_buf[11], 0xAB);
    EXPECT_EQ(vx_zyra_app_buf[10], 0xCD);
    for (size_t i = 0; i < sizeof vx_zyra_app_buf; ++i) {
        if (i != 10 && i != 11) {
            EXPECT_EQ(vx_zyra_app_buf[i], 0) << "template byte " << i;
        }
    }
    EXPECT_TRUE(blocks().empty()) << "nothing is sent for an address record";
}

TEST_F(UpperAddress, StaysInForceUntilTheNextAddressRecord)
{
    ASSERT_EQ(send(":020000040801F1"), 4);
    ASSERT_EQ(send(dataRecord(1, 0x0010)), 0);
    ASSERT_EQ(send(":0000000100"), 1);
    ASSERT_EQ(send(dataRecord(1, 0x0020)), 0) << "a later image without its own address record";
    ASSERT_EQ(send(":020000040802F0"), 4);
    ASSERT_EQ(send(dataRecord(1, 0x0030)), 0);
    const auto sent = blocks();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Bytes(sent[0].begin() + 4, sent[0].begin() + 8), (Bytes{0x10, 0x00, 0x01, 0x08}));
    EXPECT_EQ(Bytes(sent[1].begin() + 4, sent[1].begin() + 8), (Bytes{0x20, 0x00, 0x01, 0x08}));
    EXPECT_EQ(Bytes(sent[2].begin() + 4, sent[2].begin() + 8), (Bytes{0x30, 0x00, 0x02, 0x08}));
}

TEST_F(UpperAddress, AddressRecordWithoutTwoDataBytesIsRefusedAndChangesNothing)
{
    vx_zyra_app_buf[11] = 0x08;
    EXPECT_EQ(send(":0100000408F3"), -1);
    EXPECT_EQ(send(":03000004080000F1"), -1);
    EXPECT_EQ(vx_zyra_app_buf[11], 0x08);
    EXPECT_EQ(vx_zyra_app_buf[10], 0x00);
}

using RecordTypes = HexRecords;

TEST_F(RecordTypes, EachTypeHasItsResultAndOnlyDataIsSent)
{
    EXPECT_EQ(send(":00000001FF"), 1);
    EXPECT_EQ(send(":0400000300003800C1"), 3);
    EXPECT_EQ(send(":04000005080058009A"), 5);
    EXPECT_TRUE(unit->frames().empty());
}

TEST_F(RecordTypes, SegmentAddressAndUnknownTypesAreRefused)
{
    for (const char *line : {":020000021000EC", ":0000000600", ":00000080FF", ":000000FF01"}) {
        EXPECT_EQ(send(line), -1) << line;
    }
    EXPECT_TRUE(unit->frames().empty());
}

TEST_F(RecordTypes, EachNonDataTypeTakesOnlyItsOwnLength)
{
    for (const char *line : {":0100000100FE", ":0300000300003800C2", ":050000050800580000F0"}) {
        EXPECT_EQ(send(line), -1) << line;
    }
    EXPECT_TRUE(unit->frames().empty());
}

using MalformedRecords = HexRecords;

TEST_F(MalformedRecords, ByteCountAboveSixtyFourIsRefused)
{
    EXPECT_EQ(send(dataRecord(65, 0)), -1);
    EXPECT_TRUE(unit->frames().empty());
}

TEST_F(MalformedRecords, LineWithoutColonOrNullIsRefused)
{
    EXPECT_EQ(send("10000000"), -1);
    EXPECT_EQ(send(""), -1);
    EXPECT_EQ(send("\n:00000001FF"), -1);
    EXPECT_EQ(vx_zyra_send_app_line(&h, nullptr), -1);
}

TEST_F(MalformedRecords, RecordCutShortIsRefusedWherEverItEnds)
{
    const std::string whole = dataRecord(4, 0x1234);
    for (size_t length = 1; length < whole.size(); ++length) {
        EXPECT_EQ(send(whole.substr(0, length)), -1) << "cut after " << length << " characters";
        EXPECT_EQ(send(whole.substr(0, length) + "\r\n"), -1) << "line ends after " << length << " characters";
    }
    EXPECT_TRUE(unit->frames().empty());
}

TEST_F(MalformedRecords, NonHexCharacterInsideTheRecordIsRefused)
{
    EXPECT_EQ(send(":0200000012G400"), -1);
    EXPECT_EQ(send(":02 0000001234E8"), -1);
    EXPECT_EQ(send(":020000001234X8"), -1) << "even in the unverified checksum";
    EXPECT_TRUE(unit->frames().empty());
}

}  // namespace
}  // namespace zyra_test
