// The commands a unit answers in its application, seen from the host side.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

using UnitAnswers = SimTest;

TEST_F(UnitAnswers, GetSideGivesOneByte)
{
    unit->setSide(2);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{0x02});
}

TEST_F(UnitAnswers, AppVersionIsThreeBytes)
{
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{1, 2, 3})) << "default application version 1.2.3";
    unit->setAppVersion(9, 8, 7);
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{9, 8, 7}));
}

TEST_F(UnitAnswers, SignaturePayloadIsTheTextWithoutTerminator)
{
    unit->setSignature("ABC");
    EXPECT_EQ(host.ask(wire::GET_SIGNATURE), (Bytes{'A', 'B', 'C'}));
}

TEST_F(UnitAnswers, StoredValueIsReadBack)
{
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0xC8, 0x00, 0x03, 0x04}).has_value()) << "STORAGE_SET is acknowledged";
    EXPECT_EQ(unit->storage(200), (Bytes{0x03, 0x04}));
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0xC8, 0x00}), (Bytes{0x03, 0x04}));
}

TEST_F(UnitAnswers, UnknownStorageIdGivesEmptyValue)
{
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x34, 0x12}), Bytes{});
}

TEST_F(UnitAnswers, DefaultCellsFollowTheSide)
{
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x01, 0x00}), Bytes{4}) << "region";
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x08, 0x00}), Bytes{4}) << "TX transmission mode: unicast";
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x7F, 0x00})->size(), 28u) << "TX frequency channels";
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x07, 0x00}), Bytes{}) << "a TX unit has no RX mode cell";
    unit->setSide(2);
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x07, 0x00}), Bytes{4});
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x76, 0x00})->size(), 28u);
    EXPECT_EQ(host.ask(wire::STORAGE_GET, {0x7F, 0x00}), Bytes{});
}

TEST_F(UnitAnswers, RestoreBringsBackDefaultsAndDropsOtherCells)
{
    unit->setStorageDefault(5, {0x09});
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x05, 0x00, 0x01}));
    ASSERT_TRUE(host.ask(wire::STORAGE_SET, {0x63, 0x00, 0x02}));
    ASSERT_TRUE(host.ask(wire::STORAGE_RESTORE).has_value());
    EXPECT_EQ(unit->restoreCount(), 1);
    EXPECT_EQ(unit->storage(5), Bytes{0x09});
    EXPECT_FALSE(unit->storage(99).has_value());
}

TEST_F(UnitAnswers, PrintIsCounted)
{
    ASSERT_TRUE(host.ask(wire::STORAGE_PRINT, {0x00}).has_value());
    EXPECT_EQ(unit->printCount(), 1);
}

TEST_F(UnitAnswers, RegisterReadOf64BytesComesFromA73ByteFrame)
{
    Bytes payload{0x30, 0x00, 0x40, 0x00};
    payload.resize(68, 0x00);
    Bytes frame = makeFrame(wire::MAC_REG_READ, payload);
    ASSERT_EQ(frame.size(), 73u);
    ASSERT_EQ(host.send(frame), 0);
    std::optional<Bytes> serial = host.awaitPayload(wire::MAC_REG_READ);
    ASSERT_TRUE(serial);
    EXPECT_EQ(*serial, unit->readRegisters(0x30, 64));
    EXPECT_EQ(std::string(serial->begin(), serial->begin() + 7), "ZYRA-VU");
}

TEST_F(UnitAnswers, RegisterReadAnswersTheCountFieldNotThePadding)
{
    EXPECT_EQ(host.ask(wire::MAC_REG_READ, {0x10, 0x00, 0x04, 0x00}), (Bytes{4, 5, 6, 7}))
        << "count 4 without padding still gives the 4-byte MAC version";
}

TEST_F(UnitAnswers, RegisterWriteLandsInRegisterSpace)
{
    ASSERT_TRUE(host.ask(wire::MAC_REG_WRITE, {0x00, 0x20, 0x02, 0x00, 0xAB, 0xCD}).has_value());
    EXPECT_EQ(unit->readRegisters(0x2000, 2), (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(host.ask(wire::MAC_REG_READ, {0x00, 0x20, 0x02, 0x00, 0x00, 0x00}), (Bytes{0xAB, 0xCD}));
}

TEST_F(UnitAnswers, MalformedFrameIsLoggedAndNotAnswered)
{
    Bytes frame = makeFrame(wire::GET_SIDE, {});
    frame.back() ^= 0xFF;
    ASSERT_EQ(host.send(frame), 0);
    EXPECT_EQ(host.read(1000).result, LIBUSB_ERROR_TIMEOUT);
    ASSERT_EQ(unit->frames().size(), 1u);
    EXPECT_FALSE(unit->frames()[0].framed);
    EXPECT_EQ(unit->frames()[0].bytes, frame);
}

TEST_F(UnitAnswers, EveryTransferIsLoggedWithItsVirtualTime)
{
    clock().advanceMs(1500);
    ASSERT_EQ(host.send({0x10, 0x20, 0x30}), 0);
    ASSERT_TRUE(host.ask(wire::GET_SIDE));
    std::vector<ReceivedFrame> frames = unit->frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(frames[0].atMs, 1500);
    EXPECT_EQ(unit->framesWithCode(wire::GET_SIDE).size(), 1u);
}

TEST_F(UnitAnswers, ShortRequestsAndUnknownCodesAreIgnored)
{
    for (Bytes request :
         {makeFrame(wire::STORAGE_GET, {0x01}), makeFrame(wire::MAC_REG_READ, {0x10, 0x00}), makeFrame(0x55, {})}) {
        ASSERT_EQ(host.send(request), 0);
        EXPECT_EQ(host.read(100).result, LIBUSB_ERROR_TIMEOUT) << "no answer to code " << int(request[2]);
    }
}

}  // namespace
}  // namespace zyra_sim::test
