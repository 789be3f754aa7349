// zyra against the virtual unit: each command's events, exit status and
// messages, the unit's waits in virtual time.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <ostream>

#include "zyra_child.h"

namespace {

struct Row {
    const char *name;
    QStringList arguments;
    QString side;
    QStringList environment;
    // The bench changed first: "path" removed (a file or a folder),
    // "path=content" written.
    QStringList changed;
    int status;
    QStringList events;
    QString inStandardError;
    // A sign of life among the "waiting" events, as "<for>, <seconds>".
    QString waited{};
    // The unit every event names, as "<port> <serial>" (serial cut to 14).
    QString unit{};
    // A folder of the bench whose files the run leaves as they were.
    QString untouched{};
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

class Zyra : public testing::TestWithParam<Row>
{
};

// Every file below folder with its content.
QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator entry(folder, QDir::Files, QDirIterator::Subdirectories); entry.hasNext();) {
        QFile file(entry.next());
        files.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return files;
}

TEST_P(Zyra, RunsTheCommandAgainstTheVirtualUnit)
{
    const Row &row = GetParam();
    // The radio settings are those of a unit whose radio is on the bus at once.
    const bool videoModule = !row.arguments.contains("hdmi-rx") && !row.arguments.contains("2k-rx") &&
                             !row.arguments.contains("region") && !row.arguments.contains("mode") &&
                             !row.arguments.contains("info") && !row.arguments.contains("channels") &&
                             !row.arguments.contains("list");
    Bench bench(videoModule);
    for (const QString &change : row.changed) {
        const QString file = bench.path(change.section('=', 0, 0));
        if (change.contains('='))
            bench.write(change.section('=', 0, 0), change.section('=', 1).toUtf8());
        else
            ASSERT_TRUE(QFile::remove(file) || QDir(file).removeRecursively()) << file.toStdString();
    }

    const QMap<QString, QByteArray> before = filesIn(bench.path(row.untouched));

    const Outcome outcome = bench.run(row.arguments, row.side, row.environment);

    if (!row.untouched.isEmpty()) {
        EXPECT_EQ(filesIn(bench.path(row.untouched)), before) << row.untouched.toStdString() << " changed";
    }
    EXPECT_EQ(outcome.status, row.status) << outcome.standardError.toStdString();
    EXPECT_EQ(outcome.events, row.events) << outcome.events.join(" | ").toStdString();
    EXPECT_TRUE(outcome.standardError.contains(row.inStandardError)) << outcome.standardError.toStdString();
    EXPECT_TRUE(row.waited.isEmpty() || outcome.waits.contains(row.waited)) << outcome.waits.join(" | ").toStdString();
    EXPECT_TRUE(row.unit.isEmpty() || outcome.units == QStringList{row.unit})
        << outcome.units.join(" | ").toStdString();
}

const QString video = "step: Updating Video Module";
const QString radio1 = "step: Updating Radio 1 of 2";
const QString radio2 = "step: Updating Radio 2 of 2";
const QString configuration = "step: Updating device configuration";
const QString progress = "progress";

const QStringList radioSteps{radio1, progress, radio2, progress, configuration, progress, "done"};

// installs: the package's XMEGA_VERSION, 2.4 in firmware2k.
QStringList videoModuleUpdate(const QString &installs = "1.4")
{
    return QStringList{"detected: version 1.3, installs " + installs, video, progress} + radioSteps;
}

// Without a video module the unit's own versions, not the library's.
QStringList radioUpdate(const QString &installs = "1.4")
{
    return QStringList{"detected: application 1.2.3, radio 4.5.6.7, installs " + installs} + radioSteps;
}

const QString standInAgents = "LD_LIBRARY_PATH=" ZYRA_STAND_IN_AGENTS_LIB_DIR;
const QString withoutAgents = "LD_LIBRARY_PATH=" ZYRA_WITHOUT_AGENTS_LIB_DIR;
const QString pairing = "step: Pairing ZYRA";
const QString samplePlan =
    "5190 on, 5230 on, 5270 on DFS, 5310 on DFS, 5510 on DFS, 5550 on DFS, 5670 off DFS, 5755 on, 5795 on";
const QString noDevice = "Error, no device Detected.";
const QString twoReceivers = "ZYRA_SIM_UNITS=rx,rx";
const QString firstOfTwo = "unit: 1-1.1 application rx ZYRA-VU-SERIAL 1.2.3 4.5.6.7";
const QString secondOfTwo = "unit: 1-2.1 application rx ZYRA-VU-SERIAL 1.2.3 4.5.6.7";
const QString noAccess = "ZYRA_SIM_NO_ACCESS=1";
const QString unitRefuses = "zyra: The ZYRA unit is attached, but this user may not open it (permission denied). "
                            "Install the udev rules /lib/udev/rules.d/70-zyra.rules";
const QString bootloaderRefuses = "zyra: The ZYRA unit's video module is attached in its bootloader, but this user "
                                  "may not open it (permission denied). Install the udev rules";

INSTANTIATE_TEST_SUITE_P(
    Commands, Zyra,
    testing::Values(
        Row{"update_hdmi_tx", {"update", "hdmi-tx", "--json"}, "tx", {}, {}, 0, videoModuleUpdate(), ""},
        Row{"update_sdi_tx", {"update", "sdi-tx", "--json"}, "tx", {}, {}, 0, videoModuleUpdate(), ""},
        Row{"update_hdmi_rx",
            {"update", "hdmi-rx", "--json"},
            "rx",
            {},
            {},
            0,
            radioUpdate(),
            "",
            "",
            "1-1.1 ZYRA-VU-SERIAL"},
        Row{"update_sdi_rx_no_fan_control",
            {"update", "sdi-rx", "--json", "--fan-control", "none"},
            "rx",
            {},
            {},
            0,
            videoModuleUpdate(),
            ""},
        Row{"update_2k_tx", {"update", "2k-tx", "--json"}, "tx", {}, {}, 0, videoModuleUpdate("2.4"), ""},
        Row{"update_2k_rx", {"update", "2k-rx", "--json"}, "rx", {}, {}, 0, radioUpdate("2.4"), ""},
        // Away for the video module's reconnect attempts, back for the recovery's.
        Row{"recovery_with_yes",
            {"update", "sdi-tx", "--json", "--yes"},
            "tx",
            {"ZYRA_SIM_AWAY_OPENS=12"},
            {},
            0,
            {"detected: version 1.3, installs 1.4", video, progress, "recovery", radio1, progress, radio1, progress,
             radio2, progress, "step: Restoring Device", progress, configuration, progress, "done"},
            ""},
        // A unit that opens but never answers: two recovery rounds, then the
        // error with what to do, never a loop.
        Row{"recovery_with_yes_ends",
            {"update", "hdmi-rx", "--json", "--yes"},
            "rx",
            {"ZYRA_SIM_SILENT=1"},
            {},
            25,
            {"detected: application unknown, radio unknown, installs 1.4", radio1, progress, "recovery", radio1,
             progress, "recovery", radio1, progress, "error: 25"},
            "Disconnect the unit's power and USB",
            "unit to come back, 5"},
        Row{"detect_without_unit", {"detect", "hdmi-rx", "--json"}, "none", {}, {}, 1, {"error: 0"}, noDevice},
        Row{"detect_video_module",
            {"detect", "SDI-TX", "--json"},
            "tx",
            {},
            {},
            0,
            {"detected: version 1.3", "done"},
            ""},
        Row{"update_with_bad_package",
            {"update", "hdmi-rx", "--json"},
            "rx",
            {},
            {"firmware/firmware.ini"},
            21,
            {"detected: application 1.2.3, radio 4.5.6.7, installs 1.4", radio1, progress, "error: 21"},
            "Error updating Radio 1"},
        Row{"package_check_good", {"package", "check", "--json"}, "none", {}, {}, 0, {"done"}, ""},
        Row{"package_check_bad",
            {"package", "check", "--json"},
            "none",
            {},
            {"firmware2k/storage.ini"},
            42,
            {"error: 42"},
            "R Error updating device configuration\nError Code: 42\nfirmware2k/storage.ini: missing"},
        Row{"package_check_bad_hex_line",
            {"package", "check", "--json"},
            "none",
            {},
            {"firmware/app-rx.hex=:020000040800F2\n:10000000\n"},
            22,
            {"error: 22"},
            "firmware/app-rx.hex: line 2: "},
        Row{"package_check_without_package",
            {"package", "check", "--json"},
            "none",
            {},
            {"firmware", "firmware2k"},
            1,
            {"error: 1"},
            "it holds neither firmware/ nor firmware2k/"},
        // An update writes one side's images: the other side's may be damaged.
        Row{"update_tx_with_the_receivers_image_damaged",
            {"update", "hdmi-tx", "--json"},
            "tx",
            {},
            {"firmware/app-rx.hex=:10000000\n"},
            0,
            videoModuleUpdate(),
            ""},
        // The failed run's message names its code: the exit status and the event's code too.
        Row{"update_with_a_failed_erase",
            {"update", "sdi-tx", "--json"},
            "tx",
            {},
            {"state/dfu.fail-at=erase 1\n"},
            12,
            {"detected: version 1.3, installs 1.4", video, progress, "error: 12"},
            "Erasing the video module failed.\nRetry and update again: it is flashed anew.\nError Code: 12\nA "
            "dfu-programmer run on the video module failed."},
        Row{"detect_without_dfu_programmer",
            {"detect", "sdi-tx", "--json"},
            "tx",
            {},
            {"utils/dfu-programmer"},
            1,
            {"error: 1"},
            "dfu-programmer was not found"},
        Row{"detect_with_the_video_module_running",
            {"detect", "sdi-tx", "--json"},
            "tx",
            {},
            {"state/xmega.mode=running\n"},
            3,
            {"error: 3"},
            "No video module answered in its bootloader. Start the unit in update mode"},
        Row{"region_get", {"region", "get", "--json"}, "rx", {}, {}, 0, {"done: usa"}, "", "", "1-1.1 ZYRA-VU-SERIAL"},
        Row{"list_one_unit",
            {"list", "--json"},
            "tx",
            {},
            {},
            0,
            {"unit: 1-1.1 application tx ZYRA-VU-SERIAL 1.2.3 4.5.6.7", "done"},
            ""},
        Row{"region_get_by_serial",
            {"region", "--unit", "ZYRA-VU-SERIAL-0123456789ABCDEF-0123456789ABCDEF-0123456789ABCDE", "--json"},
            "rx",
            {},
            {},
            0,
            {"done: usa"},
            "",
            "",
            "1-1.1 ZYRA-VU-SERIAL"},
        // Nothing starts: the list instead of a run on the unit that is there,
        // which is not even opened.
        Row{"update_at_a_port_without_unit",
            {"update", "hdmi-rx", "--unit", "1-9.1", "--json"},
            "rx",
            {},
            {},
            2,
            {"unit: 1-1.1 unknown unknown unknown unknown unknown", "error: 2"},
            "zyra: No ZYRA unit is attached at the port 1-9.1.\nPORT "},
        // The third unit's video module in its bootloader: its radio is
        // away until the module starts.
        Row{"list_two_units_and_a_module",
            {"list", "--json"},
            "none",
            {"ZYRA_SIM_UNITS=rx,rx,tx"},
            {"state/1-3/xmega.mode=dfu\n"},
            0,
            {firstOfTwo, secondOfTwo, "unit: 1-3.2 video-module-d unknown unknown unknown unknown", "done"},
            ""},
        Row{"update_with_two_units_refused",
            {"update", "hdmi-rx", "--json"},
            "none",
            {twoReceivers},
            {},
            2,
            {firstOfTwo, secondOfTwo, "error: 2"},
            "zyra: Several ZYRA units are attached; choose one with --unit PORT or --unit SERIAL.\nPORT   STATE "
            "       SIDE  SERIAL",
            "",
            "",
            "state"},
        // Read-only, but never from a unit nobody chose.
        Row{"region_get_with_two_units_refused",
            {"region", "--json"},
            "none",
            {twoReceivers},
            {},
            2,
            {firstOfTwo, secondOfTwo, "error: 2"},
            "Several ZYRA units are attached"},
        Row{"region_set_on_the_second_unit",
            {"region", "set", "japan", "--unit", "1-2.1", "--json"},
            "none",
            {twoReceivers},
            {},
            0,
            {"done: japan"},
            "",
            "",
            "1-2.1 ZYRA-VU-SERIAL",
            "state/1-1"},
        Row{"update_by_a_serial_two_units_have",
            {"update", "hdmi-rx", "--unit", "ZYRA-VU-SERIAL-SHARED"},
            "none",
            {"ZYRA_SIM_UNITS=rx#ZYRA-VU-SERIAL-SHARED,rx#ZYRA-VU-SERIAL-SHARED"},
            {},
            2,
            {},
            "Several attached ZYRA units have the serial ZYRA-VU-SERIAL-SHARED (at 1-1.1, 1-2.1): choose one by "
            "its port.",
            "",
            "",
            "state"},
        Row{"region_set_on_the_second_unit_by_serial",
            {"region", "set", "japan", "--unit", "ZYRA-VU-SERIAL-1-2", "--json"},
            "none",
            {twoReceivers},
            {},
            0,
            {"done: japan"},
            "",
            "",
            "1-2.1 ZYRA-VU-SERIAL",
            "state/1-1"},
        Row{"list_without_unit", {"list", "--json"}, "none", {}, {}, 0, {"done"}, ""},
        Row{"region_unknown", {"region", "set", "mars", "--json"}, "rx", {}, {}, 2, {"error: 2"}, "usage: zyra region"},
        Row{"unknown_option", {"update", "sdi-tx", "--jsno"}, "tx", {}, {}, 2, {}, "Try 'zyra --help'"},
        Row{"unknown_type", {"detect", "sdi", "--json"}, "tx", {}, {}, 2, {"error: 2"}, "hdmi-tx, sdi-tx, hdmi-rx"},
        Row{"region_without_unit", {"region", "--json"}, "none", {}, {}, 1, {"error: 1"}, "cannot connect"},
        Row{"info_stand_in_agents",
            {"info", "--json"},
            "tx",
            {standInAgents},
            {},
            0,
            {"done: 1-1.1 tx, ZYRA TX VIRTUAL UNIT, serial ZYRA-VU-SERIAL, boot agents stand-ins for tests (never for "
             "a "
             "unit)"},
            ""},
        Row{"info_without_agents",
            {"info", "--json"},
            "tx",
            {withoutAgents},
            {},
            0,
            {"done: 1-1.1 tx, ZYRA TX VIRTUAL UNIT, serial ZYRA-VU-SERIAL, boot agents none (units with a bootloader "
             "up to "
             "2.0.5 are refused)"},
            ""},
        // The library refuses before the erase; the unit keeps its application.
        Row{"update_old_bootloader_without_agents",
            {"update", "hdmi-rx", "--json"},
            "rx",
            {withoutAgents, "ZYRA_SIM_BOOTLOADER=2.0.5"},
            {},
            23,
            {"detected: application 1.2.3, radio 4.5.6.7, installs 1.4", radio1, progress, "error: 23"},
            "Error updating Radio 1\nBoot agent for this bootloader not available\nError Code: 23"},
        // The sample unit's region 4 plan with 5670 MHz switched off.
        Row{"channels_get", {"channels", "--json"}, "rx", {}, {}, 0, {"done: " + samplePlan}, ""},
        Row{"channels_outside_the_plan",
            {"channels", "on", "5190", "5180", "--json"},
            "rx",
            {},
            {},
            1,
            {"error: 1"},
            "5180 MHz is not in the channel plan of the unit's region, usa."},
        Row{"channels_more_than_fourteen",
            {"channels", "set", "5190", "5230", "5270", "5310", "5510", "5550", "5670", "5755", "5795", "5190", "5230",
             "5270", "5310", "5510", "5550", "--json"},
            "rx",
            {},
            {},
            1,
            {"error: 1"},
            "At most 14"},
        // set switches on what it does not name: it shows that plan and
        // writes it only with --yes.
        Row{"channels_set_without_yes",
            {"channels", "set", "5190", "--json"},
            "rx",
            {},
            {},
            1,
            {"note: zyra channels set would store this plan, every channel not named switched on:\n5190 MHz off\n"
             "5230 MHz on\n5270 MHz on DFS\n5310 MHz on DFS\n5510 MHz on DFS\n5550 MHz on DFS\n5670 MHz on DFS\n"
             "5755 MHz on\n5795 MHz on",
             "error: 1"},
            "add --yes to store this plan"},
        Row{"mode_get", {"mode", "--json"}, "tx", {}, {}, 0, {"done: unicast"}, ""},
        // The video module started by an earlier run: its radio is up at once.
        Row{"info_after_an_update",
            {"info", "--json"},
            "tx",
            {withoutAgents},
            {"state/xmega.mode=running 1\n"},
            0,
            {"done: 1-1.1 tx, ZYRA TX VIRTUAL UNIT, serial ZYRA-VU-SERIAL, boot agents none (units with a bootloader "
             "up to "
             "2.0.5 are refused)"},
            ""},
        Row{"pair_receiver",
            {"pair", "hdmi-rx", "--json"},
            "rx",
            {},
            {},
            0,
            {pairing, "step: The receiver waits for its transmitter; press Enter to confirm the pairing.", "done"},
            ""},
        Row{"pair_without_unit",
            {"pair", "hdmi-rx", "--json"},
            "none",
            {},
            {},
            1,
            {pairing, "error: 0"},
            "Error while connecting to ZYRA"},
        Row{"pair_transmitter_type",
            {"pair", "sdi-tx", "--json"},
            "tx",
            {},
            {},
            2,
            {"error: 2"},
            "takes a receiver type"},
        // The transmitter left on the bus for the receiver's step: step 1
        // prepares it, the pairing itself refuses it.
        Row{"pair_2k_receiver_with_the_transmitter_left_on",
            {"pair", "2k-rx", "--json", "--yes"},
            "tx",
            {},
            {},
            1,
            {"step: Step 1 of 3: attach the transmitter, then press Enter.",
             "step: Step 2 of 3: attach the receiver, then press Enter.", pairing, "error: 1"},
            "Please, connect a Receiver"},
        Row{"fan_control_elsewhere",
            {"update", "hdmi-tx", "--fan-control", "none"},
            "tx",
            {},
            {},
            2,
            {},
            "sdi-rx only"},
        // A unit on the bus that this user may not open: the failure's code
        // and status, the udev rules instead of "no device".
        Row{"detect_without_access",
            {"detect", "hdmi-rx", "--json"},
            "rx",
            {noAccess},
            {},
            1,
            {"error: 0"},
            unitRefuses},
        Row{"detect_bootloader_without_access",
            {"detect", "sdi-tx", "--json"},
            "tx",
            {noAccess},
            {},
            3,
            {"error: 3"},
            bootloaderRefuses},
        Row{"region_without_access", {"region", "--json"}, "rx", {noAccess}, {}, 1, {"error: 1"}, unitRefuses},
        Row{"pair_without_access",
            {"pair", "hdmi-rx", "--json"},
            "rx",
            {noAccess},
            {},
            1,
            {pairing, "error: 0"},
            unitRefuses}),
    RowName());

}  // namespace
