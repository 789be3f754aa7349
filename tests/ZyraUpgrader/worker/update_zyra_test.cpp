// updateZYRA and flashEEPROM: the video module's XMEGA erased, flashed,
// given its fan-control setting and started through dfu-programmer.
#include "intelhex.h"
#include "worker_fixture.h"

#include <QDir>

#include <sstream>

namespace {

const QString videoModuleError = "Error updating Video Module\n\nError Code: %1";
const QString dfuRunFailed = "dfuNotPresent Error while connecting to ZYRA\n\n%1 the video module failed.\n"
                             "Retry and update again: it is flashed anew.\n\nError Code: %2";
const QString fanControlNotKept = "notKept NOTE: The fan control setting could not be written to the Video Module.";

class UpdateZyra : public WorkerFixture
{
protected:
    void SetUp() override
    {
        WorkerFixture::SetUp();
        useDeviceType(1);
        attachUnit(VX_ZYRA_TX);
    }

    std::vector<std::string> commands() const
    {
        std::vector<std::string> words;
        for (const std::string &run : xmega().runs()) {
            std::string target, command;
            std::istringstream(run) >> target >> command;
            words.push_back(command);
        }
        return words;
    }

    // A new XMEGA in DFU mode with an erased EEPROM, no runs and no faults yet.
    void freshXmega()
    {
        QFile::remove(path("state/dfu.log"));
        QFile::remove(path("state/dfu.faults"));
        QFile::remove(path("state/xmega.eeprom"));
        useDeviceType(worker->deviceType);
        log.clear();
    }

    std::string xmegaMarker() const
    {
        const std::vector<uint8_t> flash = xmega().flash();
        return std::string(flash.begin() + 0x1DE00, flash.begin() + 0x1DE06);
    }
};

TEST_F(UpdateZyra, FlashesTheImageWritesTheFanSettingStartsAndReconnects)
{
    worker->updateZYRA();
    EXPECT_EQ(log.events(), (QStringList{"progress 1000", "progress 1000", "progress 1000", "finished"}));
    const std::vector<std::string> runs = xmega().runs();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], "atxmega128a4u erase");
    EXPECT_EQ(runs[1], "atxmega128a4u flash --suppress-bootloader-mem " +
                           QDir::toNativeSeparators(QDir("firmware").absoluteFilePath("firmware.hex")).toStdString());
    EXPECT_EQ(runs[2].rfind("atxmega128a4u flash-eeprom ", 0), 0u) << runs[2];
    EXPECT_EQ(runs[3], "atxmega128a4u start");

    const intelhex::ParseResult image = intelhex::parse(packageFile("firmware/firmware.hex").toStdString());
    const std::vector<uint8_t> flash = xmega().flash();
    for (const intelhex::Chunk &chunk : image.chunks)
        EXPECT_TRUE(std::equal(chunk.bytes.begin(), chunk.bytes.end(), flash.begin() + chunk.address)) << chunk.address;
    const std::vector<uint8_t> eeprom = xmega().eeprom();
    EXPECT_EQ(eeprom[0], 0x55);
    EXPECT_EQ(eeprom[1], 2) << "fan control mode 2";
    EXPECT_EQ(std::count(eeprom.begin() + 2, eeprom.end(), 0xFF), 2046);
    EXPECT_NE(handle.devh, nullptr);
}

TEST_F(UpdateZyra, TwoKTransmitterTakesTheImageOfFirmware2k)
{
    useDeviceType(4);
    worker->updateZYRA();
    EXPECT_EQ(xmegaMarker(), "FWv2.4");
}

TEST_F(UpdateZyra, WithoutDfuProgrammerErrorTenAndNothingRuns)
{
    removeFile("utils/dfu-programmer");
    worker->updateZYRA();
    EXPECT_EQ(log.events(), QStringList{errorEvent(10, videoModuleError.arg(10))});
    EXPECT_TRUE(xmega().runs().empty());
}

TEST_F(UpdateZyra, FailedEraseFlashOrStartEndsTheChainWithDfuProgrammerNotPresent)
{
    const struct {
        int failingRun;
        QStringList events;
    } cases[] = {
        {1, {"progress 1000", dfuRunFailed.arg("Erasing").arg(12)}},
        {2, {"progress 1000", "progress 1000", dfuRunFailed.arg("Flashing").arg(13)}},
        {4, {"progress 1000", "progress 1000", dfuRunFailed.arg("Starting").arg(14)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.failingRun);
        freshXmega();
        xmega().addFault(zyra_dfu::Fault::Fail, c.failingRun, c.failingRun);
        worker->updateZYRA();
        EXPECT_EQ(log.events(), c.events);
        EXPECT_EQ(xmega().runs().size(), static_cast<size_t>(c.failingRun));
    }
}

TEST_F(UpdateZyra, HungFlashRunIsStoppedAndCountsAsFailed)
{
    ShortProcessWait shortWait;
    xmega().addFault(zyra_dfu::Fault::Hang, 2, 2);
    worker->updateZYRA();
    EXPECT_EQ(log.events(), (QStringList{"progress 1000", "progress 1000", dfuRunFailed.arg("Flashing").arg(13)}));
}

TEST_F(UpdateZyra, EepromRunIsRepeatedWithPausesAtMostFiveTimesAndTheChainGoesOn)
{
    xmega().addFault(zyra_dfu::Fault::Fail, 3, 3);
    worker->updateZYRA();
    EXPECT_EQ(commands(), (std::vector<std::string>{"erase", "flash", "flash-eeprom", "flash-eeprom", "start"}));
    EXPECT_EQ(xmega().eeprom()[0], 0x55);
    const std::vector<int64_t> sleeps = zyra_sim::Clock::instance().sleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 1000), 1) << "one pause after the repeated EEPROM run";
    EXPECT_FALSE(log.events().contains(fanControlNotKept)) << "written at the second run";

    freshXmega();
    xmega().addFault(zyra_dfu::Fault::Fail, 3, 7);
    worker->updateZYRA();
    EXPECT_EQ(commands(), (std::vector<std::string>{"erase", "flash", "flash-eeprom", "flash-eeprom", "flash-eeprom",
                                                    "flash-eeprom", "flash-eeprom", "start"}));
    EXPECT_EQ(xmega().eeprom()[0], 0xFF);
    EXPECT_EQ(log.events().filter("notKept"), QStringList{fanControlNotKept}) << "the user learns it was not written";
    EXPECT_EQ(log.events().back(), "finished");
}

TEST_F(UpdateZyra, UnitThatNeverComesBackAfterTheStartAsksForRecovery)
{
    zyra_sim::Bus::instance().detach();
    worker->updateZYRA();
    EXPECT_EQ(log.events(), (QStringList{"progress 1000", "progress 1000", "recovery 1"}));
    EXPECT_EQ(zyra_sim::Bus::instance().openAttempts(), 11);
    EXPECT_GE(virtualSeconds(), 66);
}

class FlashEeprom : public WorkerFixture
{
};

TEST_F(FlashEeprom, WithoutDfuProgrammerErrorHundredAndOne)
{
    useDeviceType(3);
    removeFile("utils/dfu-programmer");
    worker->flashEEPROM();
    EXPECT_EQ(log.events(), QStringList{errorEvent(101, videoModuleError.arg(101))});
}

TEST_F(FlashEeprom, WithoutTemporaryFilesTheEepromIsLeftAloneAndThatIsNoted)
{
    useDeviceType(3);
    NoTemporaryFiles noTemporaryFiles;
    worker->flashEEPROM();
    EXPECT_EQ(log.events(), QStringList{fanControlNotKept});
    EXPECT_TRUE(xmega().runs().empty()) << "no flash-eeprom run with a file that holds nothing";
}

}  // namespace
