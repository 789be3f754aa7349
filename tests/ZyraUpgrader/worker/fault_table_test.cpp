// One fault at every step of the whole update of each device type, the
// user following the main window through UpdateRun, the engine the window
// and zyra share: Retry after an error (after reading it), Next on the
// recovery path where the run asks for it, after the power cycle the
// recovery picture asks for. Every row must end in success with the new
// images, the user's settings and a running application on the unit, bounded
// in virtual time, its errors the worker's texts and codes. The fault points
// come from a clean run: each dfu-programmer run, each configuration read and
// write, the first, middle and last data block, the first of every other
// command and record. The MAC region has a real unit's size.
#include "command_failures.h"
#include "devicetypes.h"
#include "package_images.h"
#include "updaterun.h"
#include "worker_fixture.h"
#include "workererrors.h"

#include <QEventLoop>
#include <QFile>
#include <QRegExp>
#include <QTimer>

#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace {

using zyra_sim::Bytes;
using zyra_sim::VirtualUnit;

const Bytes userChannels(28, 0x21);
const uint8_t userRegion = 6;
const uint8_t userMode = 2;
// A unit that drops out after carrying out a command comes back as long
// after as a restart takes; one that drops out instead of a command stays
// away longer than the library and the worker's reconnects wait.
const int64_t shortAbsenceMs = 3000;
const int64_t longAbsenceMs = 90000;
// Before pressing Retry the user reads the error and checks the cable.
const int64_t userReadsTheErrorMs = 60000;
// The window offers Retry three times, then only Exit.
const int errorsBeforeExit = 4;
// A row that has not ended by then counts as hung.
const int64_t longestFlowSeconds = 30 * 60;
// A real unit's radio region, larger than the sample package's.
const size_t macRegionBytes = 64 * 1024 + 4096;
// The longest the user may be left without a progress value, a step text
// or a waiting notice.
const int64_t longestSilenceMs = 10000;
// Real time a run may take before the test gives it up as hung.
const int realRunLimitMs = 120000;

enum class Kind {
    DfuRunFails,
    TransferFails,      // the OUT transfer of a command
    DropsOffAtCommand,  // instead of carrying it out
    AnswerLost,         // a record of the unit, sent but never received
    DropsOffAtRecord,   // instead of sending it
    DataTransferFails,  // a data block of the radio update
    EndlessPull         // a radio request lost, and a radio that waits for its data for ever
};

struct Row {
    Kind kind;
    std::string command;  // dfu-programmer's
    uint8_t code;
    int occurrence;  // counting from 1 for dfu-programmer runs, from 0 else

    std::string name() const
    {
        const char *kinds[] = {"dfu run fails", "transfer fails",        "off the bus at command",
                               "answer lost",   "off the bus at record", "data transfer fails",
                               "endless pull"};
        return std::string(kinds[static_cast<int>(kind)]) + " " +
               (kind == Kind::DfuRunFails ? command : std::to_string(code)) + " #" + std::to_string(occurrence);
    }
};

// The command of a dfu.log line: the word after the target.
std::string dfuCommand(const std::string &run)
{
    const size_t start = run.find(' ') + 1;
    return run.substr(start, run.find(' ', start) - start);
}

// A text of the worker's: a headline and its code. The video module's
// failed runs come through a signal without a code, their text has one.
bool isClearError(const QString &event)
{
    QRegExp coded("^error (-?\\d+): [\\s\\S]+\\n\\nError Code: (\\d+)$");
    if (!coded.exactMatch(event))
        return false;
    const int code = coded.cap(1).toInt();
    if (code == UpdateRun::noErrorCode)
        return event.contains("Error while connecting to ZYRA");
    const int shown = code == workererrors::radio2UnitGone ? workererrors::radio2UnitGoneShown : code;
    return coded.cap(2).toInt() == shown;
}

// What the user saw in the end.
struct Flow {
    bool succeeded = false;
    QStringList errors;  // the texts of failed()
    QStringList notes;
    int recoveries = 0;
};

// How one run of UpdateRun ended, as the window learns it.
struct RunEnd {
    QString detected;
    bool wasDetected = false;
    QString error;  // "error <code>: <text>"
    int recovery = -1;
    bool succeeded = false;
    bool hung = false;
};

// The worst over all rows of all device types, printed at the end.
struct Figures {
    int64_t longestSilenceMs = 0;
    std::string silenceRow;
    int64_t longestRowMs = 0;
    std::string longestRow;
};
Figures figures;

class FaultTable : public WorkerFixture, public testing::WithParamInterface<int>
{
protected:
    static void TearDownTestSuite()
    {
        std::printf("fault table: longest silence %.1f s (%s); longest row %.1f min (%s)\n",
                    figures.longestSilenceMs / 1000.0, figures.silenceRow.c_str(), figures.longestRowMs / 60000.0,
                    figures.longestRow.c_str());
    }

    int type() const { return GetParam(); }
    bool hasVideoModule() const { return DeviceTypes::hasVideoModule(type()); }
    bool is2K() const { return DeviceTypes::is2K(type()); }
    uint8_t side() const { return sideOf(type()); }
    samplepackage::Description package() const { return samplepackage::samplePackages().at(is2K() ? 1 : 0); }

    // A unit of the type with the user's settings, the video module as
    // useDeviceType leaves it, a MAC image of a real unit's size, no
    // scripted fault and the clock at 0.
    std::shared_ptr<VirtualUnit> freshUnit()
    {
        if (handle.devh)
            vx_zyra_disconnect(&handle);
        handle = vx_zyra_t{};
        zyra_sim::Bus::instance().reset();
        zyra_sim::Bus::instance().setStateDir(path("state").toStdString());
        for (const char *file : {"dfu.log", "dfu.fail-at", "xmega.eeprom"})
            QFile::remove(path(QString("state/") + file));
        log.clear();
        useDeviceType(type());
        const std::string image = samplepackage::macImage(package(), macRegionBytes);
        writeFile(QString::fromStdString(package().directory) + "/mac.bin",
                  QByteArray(image.data(), static_cast<int>(image.size())));
        auto unit = attachUnit(side());
        // UPDATE_MAC_START carries only the low half of the region's length.
        unit->setRegionLength(macRegionBytes);
        unit->setStorage(1, {userRegion});
        unit->setStorage(modeCell(), {userMode});
        unit->setStorage(channelsCell(), userChannels);
        return unit;
    }
    uint16_t modeCell() const { return side() == VX_ZYRA_TX ? 8 : 7; }
    uint16_t channelsCell() const { return side() == VX_ZYRA_TX ? 127 : 118; }

    // Starts a run and waits for its thread to end, the program having the
    // turn meanwhile.
    RunEnd await(UpdateRun &run, const std::function<void()> &start)
    {
        RunEnd end;
        QEventLoop loop;
        QObject context;
        QObject::connect(&run, &UpdateRun::detected, &context, [&](const QString &version) {
            end.wasDetected = true;
            end.detected = version;
        });
        QObject::connect(&run, &UpdateRun::failed, &context,
                         [&](const QString &text, int code) { end.error = errorEvent(code, text); });
        QObject::connect(&run, &UpdateRun::recoveryRequested, &context, [&](int status) { end.recovery = status; });
        QObject::connect(&run, &UpdateRun::succeeded, &context, [&] { end.succeeded = true; });
        QObject::connect(&run, &UpdateRun::threadFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(realRunLimitMs, &loop, [&] {
            end.hung = true;
            loop.quit();
        });
        log.resume();
        start();
        loop.exec();
        log.pause();
        return end;
    }

    // The user does what the recovery picture asks: power off and on again.
    void powerCycle(VirtualUnit &unit)
    {
        if (hasVideoModule() && xmega().mode() == zyra_dfu::Mode::Running) {
            xmega().setMode(zyra_dfu::Mode::Dfu);
            xmega().setMode(zyra_dfu::Mode::Running);
        }
        unit.dropOffBus(shortAbsenceMs);
    }

    // The window's runs until success, or until it offers only Exit.
    Flow followTheWindow(VirtualUnit &unit)
    {
        Flow flow;
        bool recoveryPath = false;
        UpdateRun run(&handle);
        QObject::connect(&run, &UpdateRun::workerCreated, [this](UpdaterThread *w) { recordSignals(w); });
        auto userReadsTheError = [&](const QString &error) {
            flow.errors << error;
            zyra_sim::Clock::instance().sleepMs(userReadsTheErrorMs);
        };
        while (flow.errors.size() < errorsBeforeExit && virtualSeconds() < longestFlowSeconds) {
            RunEnd end;
            if (recoveryPath) {
                end = await(run, [&] { run.recover(type()); });
            } else {
                // The user follows the update picture: the video module waits in its DFU bootloader.
                if (hasVideoModule())
                    xmega().setMode(zyra_dfu::Mode::Dfu);
                end = await(run, [&] { run.detect(type()); });
                if (end.hung)
                    break;
                if (!end.wasDetected) {
                    EXPECT_FALSE(end.error.isEmpty()) << "detection ended without a word";
                    userReadsTheError(end.error);
                    if (handle.devh)
                        vx_zyra_disconnect(&handle);
                    continue;
                }
                end = await(run, [&] { run.update(type(), fanControl.fan_ctrl_mode); });
            }
            flow.notes << log.events().filter("notKept");
            if (end.hung) {
                ADD_FAILURE() << "a run never ended";
                break;
            }
            if (end.succeeded) {
                flow.succeeded = true;
                break;
            }
            EXPECT_TRUE(!end.error.isEmpty() || end.recovery >= 0)
                << "a run stopped without a word: the window would wait for ever";
            if (end.recovery >= 0) {
                if (end.recovery != workererrors::recoveryUnitUnreachable && handle.devh)
                    vx_zyra_disconnect(&handle);
                recoveryPath = true;
                ++flow.recoveries;
                powerCycle(unit);
                continue;
            }
            userReadsTheError(end.error);
            if (!end.error.startsWith(QString("error %1:").arg(workererrors::radio2UnitGone)) && handle.devh)
                vx_zyra_disconnect(&handle);
        }
        flow.notes.removeDuplicates();
        return flow;
    }

    // The fault points of a clean run, which must itself succeed.
    std::vector<Row> faultPoints()
    {
        auto unit = freshUnit();
        const Flow clean = followTheWindow(*unit);
        EXPECT_TRUE(clean.succeeded && clean.errors.isEmpty() && clean.recoveries == 0)
            << clean.errors.join("\n").toStdString();
        std::vector<Row> rows;
        std::map<std::string, int> runs;
        for (const std::string &line : xmega().runs())
            rows.push_back({Kind::DfuRunFails, dfuCommand(line), 0, ++runs[dfuCommand(line)]});
        std::map<uint8_t, int> commands;
        int dataBlocks = 0;
        for (const zyra_sim::ReceivedFrame &frame : unit->frames()) {
            if (frame.data)
                ++dataBlocks;
            else if (frame.framed)
                ++commands[frame.code];
        }
        const std::set<uint8_t> configuration{wire::STORAGE_GET, wire::STORAGE_SET, wire::STORAGE_RESTORE};
        const std::set<uint8_t> data{0, wire::FW_DATA_BLOCK, wire::DATA_BYTE};
        auto selected = [&](uint8_t code, int count) {
            std::vector<int> picked{0};
            if (data.count(code))
                picked = {0, count / 2, count - 1};
            if (configuration.count(code)) {
                picked.clear();
                for (int n = 0; n < count; ++n)
                    picked.push_back(n);
            }
            std::sort(picked.begin(), picked.end());
            picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
            return picked;
        };
        for (const auto &[code, count] : commands) {
            for (int n : selected(code, count)) {
                rows.push_back({Kind::TransferFails, {}, code, n});
                rows.push_back({Kind::DropsOffAtCommand, {}, code, n});
            }
        }
        for (int code = 0; code < 256; ++code) {
            const int count = unit->recordCount(static_cast<uint8_t>(code));
            for (int n : count > 0 ? selected(static_cast<uint8_t>(code), count) : std::vector<int>{}) {
                rows.push_back({Kind::AnswerLost, {}, static_cast<uint8_t>(code), n});
                rows.push_back({Kind::DropsOffAtRecord, {}, static_cast<uint8_t>(code), n});
            }
        }
        for (int n : selected(0, dataBlocks))
            rows.push_back({Kind::DataTransferFails, {}, 0, n});
        const uint8_t dataByte = wire::DATA_BYTE;
        rows.push_back({Kind::EndlessPull, {}, dataByte, unit->recordCount(dataByte) / 2});
        return rows;
    }

    void script(VirtualUnit &unit, const Row &row)
    {
        switch (row.kind) {
        case Kind::DfuRunFails:
            zyra_dfu::CommandFailures(path("state").toStdString()).add(row.command, row.occurrence);
            break;
        case Kind::TransferFails:
            unit.failOutTransferAt(row.code, row.occurrence, LIBUSB_ERROR_IO);
            break;
        case Kind::DropsOffAtCommand:
            unit.dropOffBusAtCommand(row.code, row.occurrence, longAbsenceMs);
            break;
        case Kind::AnswerLost:
            unit.loseRecordAt(row.code, row.occurrence);
            break;
        case Kind::DropsOffAtRecord:
            unit.dropOffBusAtRecord(row.code, row.occurrence, shortAbsenceMs);
            break;
        case Kind::DataTransferFails:
            unit.failDataTransferAt(row.occurrence, LIBUSB_ERROR_IO);
            break;
        case Kind::EndlessPull:
            unit.setEndlessMacPull(true);
            unit.loseRecordAt(row.code, row.occurrence);
            break;
        }
    }

    bool faultMet(const VirtualUnit &unit, const Row &row) const
    {
        switch (row.kind) {
        case Kind::DfuRunFails: {
            const std::vector<std::string> runs = xmega().runs();
            return std::count_if(runs.begin(), runs.end(), [&row](const std::string &line) {
                       return dfuCommand(line) == row.command;
                   }) >= row.occurrence;
        }
        case Kind::DropsOffAtCommand:
            return static_cast<int>(unit.framesWithCode(row.code).size()) > row.occurrence;
        case Kind::AnswerLost:
        case Kind::DropsOffAtRecord:
        case Kind::EndlessPull:
            return unit.recordCount(row.code) > row.occurrence;
        case Kind::TransferFails:
        case Kind::DataTransferFails:
            return unit.failedOutTransfers() == 1;
        }
        return false;
    }

    // A setting may differ only where the user was told it did not reach the unit.
    bool told(const Flow &flow, int errorCode, const char *noteWord) const
    {
        return !flow.errors.filter(QString("error %1:").arg(errorCode)).isEmpty() ||
               !flow.errors.filter(QString("error %1:").arg(workererrors::userConfigurationNotWrittenBack)).isEmpty() ||
               !flow.notes.filter(noteWord).isEmpty();
    }
};

TEST_P(FaultTable, EveryRowEndsWithTheNewImagesAndTheUsersSettings)
{
    const samplepackage::Description package = this->package();
    const std::vector<Row> rows = faultPoints();
    EXPECT_GT(rows.size(), 30u);
    int retried = 0;
    int recovered = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name());
        auto unit = freshUnit();
        script(*unit, row);
        const Flow flow = followTheWindow(*unit);
        retried += !flow.errors.isEmpty();
        recovered += flow.recoveries > 0;
        const std::string where = "type " + std::to_string(type()) + ", " + row.name();
        if (log.longestSilenceMs() > figures.longestSilenceMs) {
            figures.longestSilenceMs = log.longestSilenceMs();
            figures.silenceRow = where + ", ended by " + log.longestSilenceEndedBy().left(40).toStdString();
        }
        if (zyra_sim::Clock::instance().nowMs() > figures.longestRowMs) {
            figures.longestRowMs = zyra_sim::Clock::instance().nowMs();
            figures.longestRow = where;
        }

        EXPECT_TRUE(faultMet(*unit, row)) << "the fault's step was never reached";
        ASSERT_LT(virtualSeconds(), longestFlowSeconds)
            << "hung: " << flow.errors.join(" / ").toStdString() << " recoveries " << flow.recoveries;
        EXPECT_LE(log.longestSilenceMs(), longestSilenceMs)
            << "nothing to see before " << log.longestSilenceEndedBy().toStdString();
        for (const QString &error : flow.errors)
            EXPECT_TRUE(isClearError(error)) << error.toStdString();
        if (row.kind == Kind::EndlessPull) {
            // No update can succeed, but the user is told what to do instead of
            // being sent round the recovery procedure for ever.
            EXPECT_FALSE(flow.succeeded);
            EXPECT_FALSE(flow.errors.filter(QString("error %1:").arg(workererrors::unitNotAnswering)).isEmpty())
                << flow.errors.join("\n").toStdString();
            EXPECT_TRUE(flow.errors.filter("Disconnect the unit's power and USB").size() == flow.errors.size())
                << flow.errors.join("\n").toStdString();
            continue;
        }
        EXPECT_TRUE(flow.succeeded) << flow.errors.join("\n").toStdString();
        EXPECT_EQ(unit->running(), zyra_sim::Firmware::Application);
        EXPECT_EQ(unit->appVersion(), package.applicationVersion);
        EXPECT_EQ(unit->macRegion(), samplepackage::macRegion(package, side(), macRegionBytes));
        EXPECT_EQ(unit->storage(20), Bytes{side()}) << "storage.ini applied";
        EXPECT_TRUE(unit->storage(1) == Bytes{userRegion} || told(flow, workererrors::regionUnread, "region"))
            << "region lost";
        if (is2K()) {
            EXPECT_TRUE(unit->storage(modeCell()) == Bytes{userMode} ||
                        told(flow, workererrors::transmissionModeUnread, "transmission mode"))
                << "transmission mode lost";
            EXPECT_TRUE(unit->storage(channelsCell()) == userChannels ||
                        told(flow, workererrors::frequencyChannelsUnread, "channels"))
                << "channels lost";
        }
        if (hasVideoModule()) {
            EXPECT_EQ(xmega().mode(), zyra_dfu::Mode::Running);
            const std::vector<uint8_t> flash = xmega().flash();
            EXPECT_EQ(std::string(flash.begin() + samplepackage::xmegaVersionAddress, flash.begin() + 0x1DE06),
                      "FWv" + package.xmegaVersion);
            EXPECT_TRUE(xmega().eeprom()[1] == fanControl.fan_ctrl_mode || !flow.notes.filter("fan control").isEmpty())
                << "fan control lost";
        }
    }
    EXPECT_GT(retried, 0) << "no row went through Retry";
    EXPECT_GT(recovered, 0) << "no row went through the recovery path";
}

INSTANTIATE_TEST_SUITE_P(DeviceTypes, FaultTable, testing::Range(0, 6));

}  // namespace
