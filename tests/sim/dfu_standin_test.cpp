// The stand-in dfu-programmer behaves like 0.6.1 towards the worker.
#include "bench_modules.h"
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

// Two modules in their bootloaders: the state folder's own behind hub 1-3
// (its unit.hub), another's in the folder 1-2, first on the bus. A target
// with an address reaches that module only; without one, the first.
TEST_F(DfuStandIn, TheTargetsAddressChoosesTheModule)
{
    const std::string root = dir.path().toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir("1-2"));
    file("unit.hub", "1-3\n");
    zyra_dfu::XmegaState other(root, root + "/1-2");
    state.setMode(zyra_dfu::Mode::Dfu);
    other.setMode(zyra_dfu::Mode::Dfu);
    const auto at = [](const char *hub, int starts, int bus = 1) {
        return "atxmega128a4u:" + std::to_string(bus) + "," + std::to_string(zyra_dfu::bootloaderAddress(hub, starts));
    };
    const QByteArray noDevice = "dfu-programmer: no device present.\n";
    struct Row {
        std::string target;
        int exitCode;
        QByteArray err;
        bool ownErased;
        bool otherErased;
    };
    for (const Row &row : std::vector<Row>{
             {"atxmega128a4u", 0, "", false, true},
             {at("1-3", 0), 0, "", true, false},
             {at("1-2", 1), 1, noDevice, false, false},
             {at("1-3", 0, 2), 1, noDevice, false, false},
             {"atxmega128a4u:x", 1, "Unsupported target 'atxmega128a4u:x'.\n", false, false},
             {"atxmega128a4u:1,", 1, "Unsupported target 'atxmega128a4u:1,'.\n", false, false},
         }) {
        const std::vector<uint8_t> written(zyra_dfu::applicationFlashBytes, 0);
        state.setFlash(written);
        other.setFlash(written);
        const Result result = run({QString::fromStdString(row.target), "erase"});
        EXPECT_EQ(result.exitCode, row.exitCode) << row.target;
        EXPECT_EQ(result.err, row.err) << row.target;
        EXPECT_EQ(state.flash() != written, row.ownErased) << row.target;
        EXPECT_EQ(other.flash() != written, row.otherErased) << row.target;
    }
    ASSERT_EQ(run({QString::fromStdString(at("1-2", 0)), "start"}).exitCode, 0);
    EXPECT_EQ(other.mode(), zyra_dfu::Mode::Running);
    EXPECT_EQ(state.mode(), zyra_dfu::Mode::Dfu);
    EXPECT_EQ(run({"atxmega128a4u", "dump"}).out.size(), 0x1E000) << "the one left in its bootloader";
}

}  // namespace
