// One fault at every step of the whole update of each device type, the
// user following the main window: Retry after an error (after reading it),
// Next on the recovery path where the worker asks for it. Every row must end
// in success with the new images, the user's settings and a running
// application on the unit, bounded in virtual time, its errors the worker's
// texts and codes. The fault points come from a clean run: each
// dfu-programmer run, each configuration read and write, the first, middle
// and last data block, the first of every other command and record.
#include "command_failures.h"
#include "devicetypes.h"
#include "package_images.h"
#include "worker_fixture.h"
#include "workererrors.h"

#include <QFile>
#include <QRegExp>

#include <libusb.h>

#include <algorithm>
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
// A run that has not ended by then counts as hung.
const int64_t longestFlowSeconds = 2 * 3600;

enum class Kind {
    DfuRunFails,
    TransferFails,      // the OUT transfer of a command
    DropsOffAtCommand,  // instead of carrying it out
    AnswerLost,         // a record of the unit, sent but never received
    DropsOffAtRecord,   // instead of sending it
    DataTransferFails   // a data block of the radio update
};

struct Row {
    Kind kind;
    std::string command;  // dfu-programmer's
    uint8_t code;
    int occurrence;  // counting from 1 for dfu-programmer runs, from 0 else

    std::string name() const
    {
        const char *kinds[] = {"dfu run fails", "transfer fails",        "off the bus at command",
                               "answer lost",   "off the bus at record", "data transfer fails"};
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

// A text of the worker's: a headline and its code, or the video module's
// connection error.
bool isClearError(const QString &event)
{
    QRegExp coded("^error (\\d+): [\\s\\S]+\\n\\nError Code: (\\d+)$");
    if (coded.exactMatch(event)) {
        const int code = coded.cap(1).toInt();
        const int shown = code == workererrors::radio2UnitGone ? workererrors::radio2UnitGoneShown : code;
        return coded.cap(2).toInt() == shown;
    }
    return event == "dfuNotPresent Error while connecting to ZYRA";
}

// What the user saw in the end.
struct Flow {
    bool succeeded = false;
    QStringList errors;  // error and dfuNotPresent events
    QStringList notes;
    int recoveries = 0;
};

class FaultTable : public WorkerFixture, public testing::WithParamInterface<int>
{
protected:
    int type() const { return GetParam(); }
    bool hasVideoModule() const { return DeviceTypes::hasVideoModule(type()); }
    bool is2K() const { return DeviceTypes::is2K(type()); }
    uint8_t side() const { return sideOf(type()); }

    // A unit of the type with the user's settings, the video module as
    // useDeviceType leaves it, no scripted fault and the clock at 0.
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
        worker = makeWorker();
        useDeviceType(type());
        auto unit = attachUnit(side());
        unit->setStorage(1, {userRegion});
        unit->setStorage(modeCell(), {userMode});
        unit->setStorage(channelsCell(), userChannels);
        return unit;
    }
    uint16_t modeCell() const { return side() == VX_ZYRA_TX ? 8 : 7; }
    uint16_t channelsCell() const { return side() == VX_ZYRA_TX ? 127 : 118; }

    // One run of the window: a fresh worker, its steps one after the other
    // while each ends in finished(). Returns the run's events.
    QStringList run(const std::vector<Step> &steps, bool recovery)
    {
        const int before = log.events().size();
        worker = makeWorker();
        worker->deviceType = type();
        worker->recoveryMode = recovery;
        worker->storagePending = !recovery;
        if (recovery)
            worker->eepromSettings = nullptr;
        runChain(steps);
        return log.events().mid(before);
    }

    // The window's runs until success, or until it offers only Exit.
    Flow followTheWindow()
    {
        Flow flow;
        bool recoveryPath = false;
        while (flow.errors.size() < errorsBeforeExit && virtualSeconds() < longestFlowSeconds) {
            QStringList events;
            if (recoveryPath) {
                events = run({&UpdaterThread::reconnect2Device, &UpdaterThread::updateAPPFW,
                              [](UpdaterThread &w) {
                                  w.recoveryMode = false;
                                  w.updateMACFW();
                              },
                              &UpdaterThread::updateAPPFW, &UpdaterThread::updateStorage},
                             true);
            } else {
                // The user follows the update picture: the video module waits in its DFU bootloader.
                if (hasVideoModule())
                    xmega().setMode(zyra_dfu::Mode::Dfu);
                events = run({&UpdaterThread::detectDevice}, false);
                if (events.filter("detected").isEmpty()) {
                    flow.errors << events.filter(QRegExp("^(error|dfuNotPresent)"));
                    zyra_sim::Clock::instance().sleepMs(userReadsTheErrorMs);
                    EXPECT_FALSE(events.filter(QRegExp("^(error|dfuNotPresent)")).isEmpty())
                        << "detection ended without a word";
                    continue;
                }
                std::vector<Step> steps{&UpdaterThread::updateAPPFW, &UpdaterThread::updateMACFW,
                                        &UpdaterThread::updateStorage};
                if (hasVideoModule())
                    steps.insert(steps.begin(), &UpdaterThread::updateZYRA);
                events = run(steps, false);
            }
            flow.notes << events.filter("notKept");
            const QStringList ends = events.filter(QRegExp("^(error|dfuNotPresent|recovery)"));
            if (ends.isEmpty()) {
                flow.succeeded = events.count("finished") == (recoveryPath ? 5 : hasVideoModule() ? 4 : 3);
                EXPECT_TRUE(flow.succeeded) << "a run stopped without a word: the window would wait for ever";
                break;
            }
            EXPECT_EQ(ends.size(), 1) << "one end of a run";
            if (ends.front().startsWith("recovery")) {
                if (ends.front() != "recovery 1" && handle.devh)
                    vx_zyra_disconnect(&handle);
                recoveryPath = true;
                ++flow.recoveries;
                continue;
            }
            flow.errors << ends.front();
            zyra_sim::Clock::instance().sleepMs(userReadsTheErrorMs);
            if (!ends.front().startsWith(QString("error %1:").arg(workererrors::radio2UnitGone)) && handle.devh)
                vx_zyra_disconnect(&handle);
        }
        return flow;
    }

    // The fault points of a clean run, which must itself succeed.
    std::vector<Row> faultPoints()
    {
        auto unit = freshUnit();
        const Flow clean = followTheWindow();
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
    const samplepackage::Description package = samplepackage::samplePackages().at(is2K() ? 1 : 0);
    const std::vector<Row> rows = faultPoints();
    EXPECT_GT(rows.size(), 30u);
    int retried = 0;
    int recovered = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name());
        auto unit = freshUnit();
        script(*unit, row);
        const Flow flow = followTheWindow();
        retried += !flow.errors.isEmpty();
        recovered += flow.recoveries > 0;

        EXPECT_TRUE(faultMet(*unit, row)) << "the fault's step was never reached";
        ASSERT_LT(virtualSeconds(), longestFlowSeconds) << "hung";
        EXPECT_TRUE(flow.succeeded) << flow.errors.join("\n").toStdString();
        for (const QString &error : flow.errors)
            EXPECT_TRUE(isClearError(error)) << error.toStdString();
        EXPECT_EQ(unit->running(), zyra_sim::Firmware::Application);
        EXPECT_EQ(unit->appVersion(), package.applicationVersion);
        EXPECT_EQ(unit->macRegion(), samplepackage::macRegion(package, side()));
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
