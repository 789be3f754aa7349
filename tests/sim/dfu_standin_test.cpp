// The stand-in dfu-programmer behaves like 0.6.1 towards the worker.
#include "command_failures.h"
#include "intelhex.h"
#include "xmega_state.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DfuStandIn : public testing::Test
{
protected:
    struct Result {
        int exitCode;
        QByteArray out;
        QByteArray err;
    };

    Result run(const QStringList &arguments, bool withState = true)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("ZYRA_SIM_STATE_DIR");
        if (withState)
            environment.insert("ZYRA_SIM_STATE_DIR", dir.path());
        process.setProcessEnvironment(environment);
        process.start(ZYRA_DFU_STANDIN, arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString file(const QString &name, const std::string &content)
    {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content.data(), static_cast<qint64>(content.size()));
        return out.fileName();
    }

    QTemporaryDir dir;
    zyra_dfu::XmegaState state{dir.path().toStdString()};
};

TEST_F(DfuStandIn, WithoutAnXmegaInDfuModeEveryCommandFindsNoDevice)
{
    const Result noState = run({"atxmega128a4u", "dump"}, false);
    EXPECT_EQ(noState.exitCode, 1);
    EXPECT_EQ(noState.err, "dfu-programmer: no device present.\n");
    EXPECT_TRUE(noState.out.isEmpty());
    state.setMode(zyra_dfu::Mode::Running);
    EXPECT_EQ(run({"atxmega128a4u", "erase"}).exitCode, 1);
    EXPECT_EQ(state.runs(), std::vector<std::string>{"atxmega128a4u erase"})
        << "only runs with a state directory are logged";
}

TEST_F(DfuStandIn, OnlyTheProgramsCommandLinesAreAccepted)
{
    state.setMode(zyra_dfu::Mode::Dfu);
    for (const QStringList &arguments :
         {QStringList{"atxmega128a4u", "flash", "x.hex"}, QStringList{"atmega32u4", "dump"},
          QStringList{"atxmega128a4u", "dump", "extra"}, QStringList{"--version"}}) {
        const Result result = run(arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty());
    }
}

TEST_F(DfuStandIn, FlashTakesIntelHexOnlyAndDumpShowsTheApplicationSection)
{
    state.setMode(zyra_dfu::Mode::Dfu);
    const std::vector<uint8_t> code{1, 2, 3, 4};
    const std::string image = intelhex::write({{0x100, code}, {0x1E000, std::vector<uint8_t>(16, 7)}});
    ASSERT_EQ(run({"atxmega128a4u", "flash", "--suppress-bootloader-mem", file("a.hex", image)}).exitCode, 0);
    const Result dump = run({"atxmega128a4u", "dump"});
    ASSERT_EQ(dump.exitCode, 0);
    ASSERT_EQ(dump.out.size(), 0x1E000) << "0.6.1 dumps the flash below the boot section";
    EXPECT_EQ(dump.out.mid(0x100, 4), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(static_cast<uint8_t>(dump.out[0x104]), 0xFF);

    EXPECT_EQ(
        run({"atxmega128a4u", "flash", "--suppress-bootloader-mem", file("raw.bin", std::string(64, '\x11'))}).exitCode,
        1);
    EXPECT_EQ(run({"atxmega128a4u", "flash", "--suppress-bootloader-mem",
                   file("big.hex", intelhex::write({{0x20000, code}}))})
                  .exitCode,
              1);
    EXPECT_EQ(run({"atxmega128a4u", "erase"}).exitCode, 0);
    EXPECT_EQ(state.flash(), std::vector<uint8_t>(zyra_dfu::applicationFlashBytes, 0xFF));
}

TEST_F(DfuStandIn, EepromTakesIntelHexOnlyAndARawImageIsRefused)
{
    state.setMode(zyra_dfu::Mode::Dfu);
    std::string raw(2048, '\xFF');
    raw[0] = 0x55;
    raw[1] = 2;
    EXPECT_EQ(run({"atxmega128a4u", "flash-eeprom", file("settings.bin", raw)}).exitCode, 1);
    EXPECT_EQ(state.eeprom(), std::vector<uint8_t>(2048, 0xFF)) << "the refused image must not be written";
    const std::vector<uint8_t> settings(raw.begin(), raw.end());
    const QString hex = file("settings.eep", intelhex::write({{0, settings}}));
    EXPECT_EQ(run({"atxmega128a4u", "flash-eeprom", hex}).exitCode, 1) << "0.6.1 validates against the erased flash";
    EXPECT_EQ(state.eeprom(), settings) << "written before the validation";
    state.setEeprom(std::vector<uint8_t>(2048, 0xFF));
    state.setEepromReadBack(true);
    EXPECT_EQ(run({"atxmega128a4u", "flash-eeprom", hex}).exitCode, 0);
    EXPECT_EQ(state.eeprom(), settings);
}

TEST_F(DfuStandIn, FailureScriptedByCommandHitsThatOccurrenceOnly)
{
    state.setMode(zyra_dfu::Mode::Dfu);
    zyra_dfu::CommandFailures(dir.path().toStdString()).add("erase", 2);
    std::vector<int> exitCodes;
    for (const char *command : {"erase", "dump", "erase", "erase"})
        exitCodes.push_back(run({"atxmega128a4u", command}).exitCode);
    EXPECT_EQ(exitCodes, (std::vector<int>{0, 0, 1, 0}));
}

}  // namespace
