// The application processor's side of an application update: bootloader
// hand-over, erase, data blocks into flash, and what a restart starts.
#include "usb_host.h"

namespace zyra_sim::test {
namespace {

constexpr uint32_t base = 0x08005800;

Bytes dataBlock(uint32_t address, const Bytes &data, uint32_t wordCount)
{
    Bytes payload;
    for (uint32_t field : {wordCount, address})
        for (int shift = 0; shift < 32; shift += 8)
            payload.push_back(static_cast<uint8_t>(field >> shift));
    payload.insert(payload.end(), data.begin(), data.end());
    return payload;
}

Bytes dataBlock(uint32_t address, const Bytes &data)
{
    return dataBlock(address, data, static_cast<uint32_t>((data.size() + 3) / 4));
}

class AppUpdate : public SimTest
{
protected:
    void enterBootloader()
    {
        ASSERT_TRUE(host.ask(wire::EXEC_BOOTLOADER)) << "EXEC_BOOTLOADER is answered";
        reconnectAfterRestart();
        ASSERT_EQ(unit->running(), Firmware::Bootloader);
    }
    void erase()
    {
        ASSERT_TRUE(host.ask(wire::START_UPGRADE)) << "START_UPGRADE is answered";
        ASSERT_TRUE(host.awaitPayload(wire::ERASE_DONE, 10000)) << "ERASE_DONE follows";
    }
    // An image of `size` bytes at base carrying `version` at the version record.
    void writeImage(size_t size, const std::array<uint8_t, 3> &version)
    {
        ASSERT_GE(size, 0x403u) << "the image must reach past its version record";
        Bytes image(size);
        for (size_t i = 0; i < size; ++i)
            image[i] = static_cast<uint8_t>(i * 7 + 1);
        for (size_t i = 0; i < version.size(); ++i)
            image[0x400 + i] = version[i];
        for (size_t at = 0; at < size; at += 16) {
            Bytes chunk(image.begin() + static_cast<std::ptrdiff_t>(at),
                        image.begin() + static_cast<std::ptrdiff_t>(std::min(size, at + 16)));
            ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base + static_cast<uint32_t>(at), chunk)))
                << "block at " << at;
        }
        written = image;
    }
    void complete() { ASSERT_TRUE(host.ask(wire::BL_FWU_COMPLETED)) << "BL_FWU_COMPLETED is answered"; }
    void restart()
    {
        ASSERT_TRUE(host.ask(wire::SYSTEM_RESTART));
        reconnectAfterRestart();
    }

    Bytes written;
};

TEST_F(AppUpdate, IsBootldrTellsApplicationFromBootloader)
{
    EXPECT_EQ(host.ask(wire::IS_BOOTLDR), Bytes{0x00});
    enterBootloader();
    std::optional<Bytes> answer = host.ask(wire::IS_BOOTLDR);
    ASSERT_TRUE(answer);
    EXPECT_GE(answer->size(), 2u);
    EXPECT_NE((*answer)[0], 0) << "two or more bytes starting non-zero mean the bootloader";
}

TEST_F(AppUpdate, EachFirmwareAnswersOnlyItsOwnCommands)
{
    ASSERT_EQ(host.sendFrame(wire::BL_GET_CONFIG, {}), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT) << "the application knows no BL_GET_CONFIG";
    enterBootloader();
    ASSERT_EQ(host.sendFrame(wire::GET_APP_VERSION, {}), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT) << "the bootloader knows no GET_APP_VERSION";
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1}) << "but tells its side";
}

TEST_F(AppUpdate, BootloaderReportsItsConfiguredVersion)
{
    unit->setBootloaderVersion(2, 0, 5);
    enterBootloader();
    EXPECT_EQ(host.ask(wire::BL_GET_CONFIG), (Bytes{2, 0, 5}));
}

TEST_F(AppUpdate, ShortConfigAnswerMarksAnOldBootloader)
{
    unit->setBootloaderVersion(2, 1, 0);
    unit->setBootloaderConfigLength(2);
    enterBootloader();
    EXPECT_EQ(host.ask(wire::BL_GET_CONFIG), (Bytes{2, 1}));
    erase();
    complete();
    EXPECT_EQ(unit->flashedImage(), Firmware::BootAgent);
    unit->setBootloaderConfigLength(5);
    EXPECT_EQ(host.ask(wire::BL_GET_CONFIG), (Bytes{2, 1, 0, 0, 0}));
}

TEST_F(AppUpdate, EraseDoneFollowsAfterTheEraseTime)
{
    unit->setEraseTimeMs(4000);
    enterBootloader();
    ASSERT_TRUE(host.ask(wire::START_UPGRADE));
    int64_t answered = clock().nowMs();
    ASSERT_TRUE(host.awaitPayload(wire::ERASE_DONE, 10000));
    EXPECT_EQ(clock().nowMs() - answered, 4000);
    EXPECT_EQ(unit->eraseCount(), 1);
    EXPECT_FALSE(unit->flashedImage().has_value()) << "an erased flash holds no image to start";
}

TEST_F(AppUpdate, DataBlockLandsAtItsLittleEndianAddress)
{
    enterBootloader();
    erase();
    Bytes data(16);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(0xA0 + i);
    Bytes payload = dataBlock(0x08000100, data);
    ASSERT_EQ(Bytes(payload.begin(), payload.begin() + 8), (Bytes{4, 0, 0, 0, 0x00, 0x01, 0x00, 0x08}));
    ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, payload)) << "a good block is acknowledged";
    EXPECT_EQ(unit->flash(0x08000100, 16), data);
    EXPECT_EQ(unit->flash(0x080000FF, 1), Bytes{0xFF}) << "bytes around it stay erased";
    EXPECT_EQ(unit->flash(0x08000110, 1), Bytes{0xFF});
    EXPECT_EQ(unit->flashSegments(), (std::map<uint32_t, Bytes>{{0x08000100, data}}));
}

TEST_F(AppUpdate, WordCountMustBeTheRoundedUpQuarterOfTheData)
{
    enterBootloader();
    erase();
    EXPECT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base, {1, 2, 3}, 1))) << "3 bytes: 1 word";
    EXPECT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base + 3, {4, 5, 6, 7, 8}, 2))) << "5 bytes: 2 words";
    ASSERT_EQ(host.sendFrame(wire::FW_DATA_BLOCK, dataBlock(base + 8, {9, 9, 9, 9, 9}, 1)), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT) << "5 bytes counted as 1 word are refused";
    EXPECT_EQ(unit->rejectedDataBlocks(), 1);
    EXPECT_EQ(unit->flash(base, 9), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 0xFF}));
}

TEST_F(AppUpdate, BlocksOver64BytesOrBeforeAnEraseAreRefused)
{
    enterBootloader();
    ASSERT_EQ(host.sendFrame(wire::FW_DATA_BLOCK, dataBlock(base, Bytes(16, 1))), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT) << "no erase yet";
    erase();
    EXPECT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base, Bytes(64, 2)))) << "64 bytes fit the bootloader's buffer";
    ASSERT_EQ(host.sendFrame(wire::FW_DATA_BLOCK, dataBlock(base + 64, Bytes(65, 3))), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(unit->rejectedDataBlocks(), 2);
    EXPECT_EQ(unit->flashBytesWritten(), 64u);
}

TEST_F(AppUpdate, WritingAByteTwiceWithoutEraseIsCounted)
{
    enterBootloader();
    erase();
    ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base, Bytes(8, 1))));
    ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base + 4, Bytes(8, 2))));
    EXPECT_EQ(unit->flashOverwrites(), 4u);
    erase();
    EXPECT_EQ(unit->flashBytesWritten(), 0u) << "the erase clears the flash";
}

TEST_F(AppUpdate, NewBootloaderStartsTheFlashedApplicationWithItsVersion)
{
    unit->setBootloaderVersion(2, 0, 6);
    enterBootloader();
    erase();
    writeImage(2048, {7, 8, 9});
    complete();
    EXPECT_EQ(unit->flashedImage(), Firmware::Application);
    restart();
    EXPECT_EQ(unit->running(), Firmware::Application);
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{7, 8, 9}));
    EXPECT_EQ(unit->flash(base, written.size()), written);
}

TEST_F(AppUpdate, OldBootloaderStartsItsImageAsTheBootAgent)
{
    unit->setBootloaderVersion(2, 0, 5);
    enterBootloader();
    erase();
    writeImage(1040, {0, 0, 0});
    complete();
    restart();
    EXPECT_EQ(unit->running(), Firmware::BootAgent);
    EXPECT_NE(host.ask(wire::IS_BOOTLDR).value_or(Bytes{0}).at(0), 0) << "the agent answers like a bootloader";
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
    erase();
    writeImage(1200, {3, 2, 1});
    complete();
    restart();
    EXPECT_EQ(unit->running(), Firmware::Application) << "the agent flashes the application";
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{3, 2, 1}));
}

TEST_F(AppUpdate, BootloaderVersionsUpTo205NeedTheAgent)
{
    for (auto [major, minor, debug, agent] :
         {std::tuple{1, 9, 9, true}, std::tuple{2, 0, 5, true}, std::tuple{2, 0, 6, false}, std::tuple{2, 1, 0, false},
          std::tuple{3, 0, 0, false}, std::tuple{0, 0, 0, true}}) {
        unit->setRunning(Firmware::Bootloader);
        unit->setBootloaderVersion(uint8_t(major), uint8_t(minor), uint8_t(debug));
        erase();
        complete();
        EXPECT_EQ(unit->flashedImage(), agent ? Firmware::BootAgent : Firmware::Application)
            << major << "." << minor << "." << debug;
    }
}

TEST_F(AppUpdate, RestartAfterAnEraseWithoutCompletionStaysInTheBootloader)
{
    enterBootloader();
    erase();
    writeImage(1040, {1, 1, 1});
    restart();
    EXPECT_EQ(unit->running(), Firmware::Bootloader);
}

TEST_F(AppUpdate, ImageWithoutVersionRecordReportsErasedFlash)
{
    enterBootloader();
    erase();
    ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base, Bytes(16, 5))));
    complete();
    restart();
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{0xFF, 0xFF, 0xFF}));
}

TEST_F(AppUpdate, VersionRecordAddressIsConfigurable)
{
    unit->setVersionRecordAddress(base + 4);
    enterBootloader();
    erase();
    ASSERT_TRUE(host.ask(wire::FW_DATA_BLOCK, dataBlock(base, {0, 0, 0, 0, 4, 5, 6, 0})));
    complete();
    restart();
    EXPECT_EQ(unit->appVersion(), (std::array<uint8_t, 3>{4, 5, 6}));
}

TEST_F(AppUpdate, RecordHookCanWithholdEraseDone)
{
    unit->withholdRecordFrom(wire::ERASE_DONE, 0);
    enterBootloader();
    ASSERT_TRUE(host.ask(wire::START_UPGRADE));
    EXPECT_FALSE(host.awaitPayload(wire::ERASE_DONE, 10000));
    EXPECT_EQ(unit->recordCount(wire::ERASE_DONE), 1) << "the unit meant to send it";
}

}  // namespace
}  // namespace zyra_sim::test
