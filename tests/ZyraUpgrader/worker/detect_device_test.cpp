// detectDevice: over USB for the types without a video module, through a
// dfu-programmer dump for the others.
#include "worker_fixture.h"

#include <QDir>

namespace {

const QString noDeviceOverUsb = "Error, no device Detected.\n\nPlease check your USB connection\n\nError Code: %1";
const QString noDeviceInDfuMode = "Error, no device Detected.\n\nPlease check your USB connection \n\nError Code: %1";

std::vector<int64_t> seconds(int count, int64_t each)
{
    return std::vector<int64_t>(static_cast<size_t>(count), each * 1000);
}

class DetectOverUsb : public WorkerFixture
{
};

TEST_F(DetectOverUsb, UnitAnsweringTheThirdConnectIsDetectedWithTheLibraryVersion)
{
    useDeviceType(2);
    attachUnit(VX_ZYRA_RX)->dropOffBus(0, 2);
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{QString("detected ") + VX_ZYRA_VERSION_STRING});
    EXPECT_EQ(zyra_sim::Clock::instance().sleeps(), seconds(3, 1));
    EXPECT_NE(handle.devh, nullptr) << "the handle stays open for the update";
    EXPECT_EQ(handle.side, VX_ZYRA_RX);
}

TEST_F(DetectOverUsb, NoUnitAfterFourAttemptsIsErrorZero)
{
    useDeviceType(5);
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(0, noDeviceOverUsb.arg(0))});
    EXPECT_EQ(zyra_sim::Clock::instance().sleeps(), seconds(4, 1));
    EXPECT_EQ(zyra_sim::Bus::instance().openAttempts(), 4);
}

class DetectInDfuMode : public WorkerFixture
{
protected:
    void SetUp() override
    {
        WorkerFixture::SetUp();
        useDeviceType(1);
    }

    // The XMEGA's flash with `tail` as its last bytes.
    void flashEndingWith(const QByteArray &tail)
    {
        std::vector<uint8_t> flash(zyra_dfu::applicationFlashBytes, 0xFF);
        std::copy(tail.begin(), tail.end(), flash.end() - tail.size());
        xmega().setFlash(flash);
    }
};

TEST_F(DetectInDfuMode, VersionAtTheImagesMarkerIsReported)
{
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{"detected v1.3"});
    EXPECT_EQ(xmega().runs(), std::vector<std::string>{"atxmega128a4u dump"});
    EXPECT_EQ(handle.devh, nullptr) << "the radio unit is not opened on this path";
}

TEST_F(DetectInDfuMode, VersionEndsAtTheReplacementCharacterBytesOrErasedFlash)
{
    flashEndingWith(QByteArray("\nFW1.4\xEF\xBF\xBD rest\n") + QByteArray(100, '\xFF'));
    worker->detectDevice();
    flashEndingWith(QByteArray("\nFW1.6") + QByteArray(400, '\xFF'));
    worker->detectDevice();
    EXPECT_EQ(log.events(), (QStringList{"detected 1.4", "detected 1.6"}));
}

TEST_F(DetectInDfuMode, BytesBeforeTheMarkerDoNotLengthenTheVersion)
{
    // The dump's last 512 bytes rarely start at a line start.
    flashEndingWith(QByteArray("\n\x01\x02 FW1.5\xEF\xBF\xBD tail\n") + QByteArray(100, '\xFF'));
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{"detected 1.5"}) << "only the text between FW and the end bytes";
}

TEST_F(DetectInDfuMode, EveryLineWithFwInTheLast512BytesIsReportedInOrder)
{
    flashEndingWith(QByteArray("FW0.9\n") + QByteArray(600, 'x') + "\nFW2.0\xEF\xBF\xBD\nab\nFW2.1\0zz\n");
    worker->detectDevice();
    EXPECT_EQ(log.events(), (QStringList{"detected 2.0", "detected 2.1"})) << "FW0.9 lies before the last 512 bytes";
}

TEST_F(DetectInDfuMode, DumpWithoutMarkerOrEmptyReportsOneEmptyVersion)
{
    flashEndingWith(QByteArray(512, 'x'));
    worker->detectDevice();
    xmega().addFault(zyra_dfu::Fault::EmptyDump, 2, 2);
    worker->detectDevice();
    EXPECT_EQ(log.events(), (QStringList{"detected ", "detected "}));
}

TEST_F(DetectInDfuMode, FailedDumpsAreRepeatedFiveTimesInAll)
{
    xmega().addFault(zyra_dfu::Fault::Fail, 1, 4);
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{"detected v1.3"});
    EXPECT_EQ(xmega().runs().size(), 5u);
    EXPECT_EQ(zyra_sim::Clock::instance().sleeps(), seconds(4, 1));

    log.clear();
    xmega().addFault(zyra_dfu::Fault::Fail, 6, 10);
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(3, noDeviceInDfuMode.arg(3))});
    EXPECT_EQ(xmega().runs().size(), 10u);
}

TEST_F(DetectInDfuMode, HungDumpIsStoppedAndRetried)
{
    ShortProcessWait shortWait;
    xmega().addFault(zyra_dfu::Fault::Hang, 1, 1);
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{"detected v1.3"}) << "a run that never ends counts as failed";
    EXPECT_EQ(xmega().runs().size(), 2u);
}

TEST_F(DetectInDfuMode, WithoutDfuProgrammerAnywhereErrorOneAndNothingRuns)
{
    removeFile("utils/dfu-programmer");
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(1, noDeviceInDfuMode.arg(1))});
    EXPECT_TRUE(xmega().runs().empty());
}

TEST_F(DetectInDfuMode, DfuProgrammerOnPathServesWhenUtilsHasNone)
{
    removeFile("utils/dfu-programmer");
    ASSERT_TRUE(QFile::link(ZYRA_DFU_STANDIN, path("empty-bin/dfu-programmer")));
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{"detected v1.3"});
}

TEST_F(DetectInDfuMode, TemporaryFileThatCannotBeCreatedIsErrorTwo)
{
    NoTemporaryFiles noTemporaryFiles;
    worker->detectDevice();
    EXPECT_EQ(log.events(), QStringList{errorEvent(2, noDeviceInDfuMode.arg(2))});
}

}  // namespace
