// detectDevice, flashEEPROM and updateZYRA for every type with a video
// module, once with the system's dfu-programmer against the emulated XMEGA
// bootloader (umockdev) and once with the stand-in: the same signals and
// the same video module afterwards. Run under umockdev-wrapper.
#include "dfu_usbfs_device.h"
#include "outside_tool.h"
#include "worker_fixture.h"
#include "xmega_bootloader.h"

#include <QFile>

#include <iostream>
#include <optional>

namespace {

using zyra_umockdev::DfuUsbfsDevice;
using zyra_umockdev::XmegaBootloader;

const QString realTool = ZYRA_REAL_DFU_PROGRAMMER;
const QString fanControlNotKept = "notKept NOTE: The fan control setting could not be written to the Video Module.";

struct Outcome {
    QStringList detect;
    QStringList eeprom;
    QStringList update;
    std::vector<uint8_t> flash;
    std::vector<uint8_t> eepromBytes;
    zyra_dfu::Mode mode = zyra_dfu::Mode::Absent;
    bool radioOpen = false;
};

class RealDfuWorker : public WorkerFixture, public testing::WithParamInterface<int>
{
protected:
    static void SetUpTestSuite()
    {
        std::cout << "dfu-programmer run: " << zyra_umockdev::toolIdentity(realTool.toStdString()) << "\n"
                  << "stand-in run: " << ZYRA_DFU_STANDIN << "\n";
    }

    void SetUp() override
    {
        WorkerFixture::SetUp();
        // umockdev caches its answer to umockdev_in_mock_environment() and must
        // not be asked before a testbed exists.
        if (!qgetenv("LD_PRELOAD").contains("umockdev-preload"))
            GTEST_SKIP() << "not running under umockdev-wrapper";
    }

    Outcome scenario(const QString &tool)
    {
        if (handle.devh)
            vx_zyra_disconnect(&handle);
        zyra_sim::Bus::instance().reset();
        zyra_sim::Bus::instance().setStateDir(path("state").toStdString());
        for (const char *file : {"state/xmega.eeprom", "state/dfu.log"})
            QFile::remove(path(file));
        QFile::remove(path("utils/dfu-programmer"));
        EXPECT_TRUE(QFile::link(tool, path("utils/dfu-programmer")));
        const int type = GetParam();
        useDeviceType(type);
        attachUnit(sideOf(type));
        // The stand-in checks the EEPROM image against the flash, as 0.6.1 does.
        xmega().setEepromReadBack(false);

        std::optional<XmegaBootloader> bootloader;
        std::optional<DfuUsbfsDevice> device;
        if (tool == realTool) {
            bootloader.emplace(xmega());
            device.emplace(*bootloader);
            device->plug();
        }
        Outcome outcome;
        const auto step = [this](Step run, QStringList *events) {
            log.clear();
            run(*worker);
            *events = log.events();
        };
        step(&UpdaterThread::detectDevice, &outcome.detect);
        step(&UpdaterThread::flashEEPROM, &outcome.eeprom);
        step(&UpdaterThread::updateZYRA, &outcome.update);
        if (device)
            device->followBootloader();
        outcome.flash = xmega().flash();
        outcome.eepromBytes = xmega().eeprom();
        outcome.mode = xmega().mode();
        outcome.radioOpen = handle.devh != nullptr;
        return outcome;
    }
};

TEST_P(RealDfuWorker, RealToolAndStandInEndAlike)
{
    const Outcome real = scenario(realTool);
    const Outcome standIn = scenario(ZYRA_DFU_STANDIN);

    EXPECT_EQ(real.detect, QStringList{"detected v1.3"});
    // 0.6.1's own check compares the EEPROM with the flash and would fail
    // every good write: the worker skips it and reads the EEPROM back.
    EXPECT_EQ(real.eeprom, QStringList{}) << "no note on a good write";
    EXPECT_EQ(real.update, (QStringList{"progress 1000", "progress 1000", "progress 1000", "finished"}));
    EXPECT_EQ(real.eepromBytes[0], 0x55);
    EXPECT_EQ(real.eepromBytes[1], 2) << "fan control mode 2";
    EXPECT_EQ(real.mode, zyra_dfu::Mode::Running);
    EXPECT_TRUE(real.radioOpen) << "after start the radio unit appears and is reconnected";

    EXPECT_EQ(standIn.detect, real.detect);
    EXPECT_EQ(standIn.eeprom, real.eeprom);
    EXPECT_EQ(standIn.update, real.update);
    EXPECT_TRUE(standIn.flash == real.flash);
    EXPECT_TRUE(standIn.eepromBytes == real.eepromBytes);
    EXPECT_EQ(standIn.mode, real.mode);
    EXPECT_EQ(standIn.radioOpen, real.radioOpen);
}

// The types with a video module.
INSTANTIATE_TEST_SUITE_P(VideoModuleTypes, RealDfuWorker, testing::Values(0, 1, 3, 4));

}  // namespace
