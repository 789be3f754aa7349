// zyra: the update, detection and package pre-flight of ZyraUpgrader from a
// shell, on the same UpdateRun as the window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>

#include <unistd.h>

#include "batchupdate.h"
#include "batchview.h"
#include "bootagents.h"
#include "devicetypenames.h"
#include "devicetypes.h"
#include "history.h"
#include "interrupts.h"
#include "packagecheck.h"
#include "paircommand.h"
#include "reporter.h"
#include "settingscommand.h"
#include "stationupdate.h"
#include "unitchoice.h"
#include "unitcommand.h"
#include "vx_zyra_version.h"

namespace {

const char commandsHelp[] = "Commands:\n"
                            "  detect TYPE          the video module's version, or the radio's versions\n"
                            "  update TYPE          the whole update, recovery path included\n"
                            "  pair TYPE            the pairing of a receiver (hdmi-rx, sdi-rx, 2k-rx); a 2K\n"
                            "                       receiver in three steps, transmitter and receiver in turn\n"
                            "  package check [DIR]  the package pre-flight; touches no unit\n"
                            "  region [get | set NAME]\n"
                            "                       the unit's region: usa, europe, japan, usa-outdoor,\n"
                            "                       europe-outdoor or japan-outdoor\n"
                            "  mode [get | set unicast|broadcast]\n"
                            "                       the unit's transmission mode\n"
                            "  channels [get | on MHZ... | off MHZ... | set [MHZ...]]\n"
                            "                       the channels of the region's plan; on and off switch\n"
                            "                       only the ones given; set (with --yes) switches off the\n"
                            "                       ones given (at most 14) and on all others\n"
                            "  info                 side, application and radio versions, serial, signature,\n"
                            "                       and which boot agents this build carries\n"
                            "  list                 every attached unit and video module in its bootloader:\n"
                            "                       port, state, side, serial, application and radio versions\n"
                            "  history              what zyra did to which unit: every update, recovery,\n"
                            "                       pairing and setting change, oldest first\n"
                            "With several units attached, a command that works on a unit is refused\n"
                            "unless --unit names one.\n"
                            "TYPE is one of hdmi-tx sdi-tx hdmi-rx sdi-rx 2k-tx 2k-rx, in any case.";

// --fan-control: where the window offers the choice (SDI RX); elsewhere the
// value of the window's Next. -1 for a value that is none.
int fanControlMode(const QString &value)
{
    const QStringList modes{"none", "record", "record-temperature"};
    return value.isEmpty() ? 1 : modes.indexOf(value);
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("zyra");
    QCoreApplication::setApplicationVersion(
        QString("%1\nboot agents: %2").arg(ZYRA_PROGRAM_VERSION, bootAgentsCarried()));
    // The worker's traces are for developers; QT_LOGGING_RULES brings them back.
    QLoggingCategory::setFilterRules("*.debug=false");

    QCommandLineParser parser;
    parser.setApplicationDescription(QString("Updates ZYRA units and checks firmware packages.\n\n") + commandsHelp);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption packageOption("package", "The firmware package folder (default: the current one).", "DIR");
    const QCommandLineOption jsonOption("json", "JSON events on stdout, one object a line.");
    const QCommandLineOption yesOption("yes", "Go on without waiting for Enter; let channels set write.");
    const QCommandLineOption quietOption("quiet", "Only results and errors.");
    const QCommandLineOption fanOption("fan-control", "SDI RX: none, record (default) or record-temperature.", "MODE");
    const QCommandLineOption unitOption("unit",
                                        "The unit to work on, by its port path or serial (see zyra list); for "
                                        "zyra update several, updated at the same time.",
                                        "PORT|SERIAL");
    const QCommandLineOption allOption("all", "zyra update: every attached unit of TYPE at the same time.");
    const QCommandLineOption eachOption("each", "zyra update: a station; updates each unit of TYPE as it is "
                                                "attached, until Ctrl-C.");
    const QCommandLineOption csvOption("csv", "zyra history: comma-separated values with a header line.");
    parser.addOptions(
        {packageOption, jsonOption, yesOption, quietOption, fanOption, unitOption, csvOption, allOption, eachOption});
    parser.addPositionalArgument(
        "command", "detect, update, pair, package, region, mode, channels, info, list or history (see Commands).");
    parser.addPositionalArgument("arguments", "The command's arguments.", "[arguments...]");
    const bool understood = parser.parse(QCoreApplication::arguments());
    // --json is looked for even in a command line that is not understood,
    // so that a script gets its error as an event too.
    Reporter reporter(Reporter::styleFor(QCoreApplication::arguments().contains("--json")),
                      understood && parser.isSet(quietOption));
    const auto usageError = [&reporter](const QString &message) {
        reporter.usageError(message);
        return Reporter::usageStatus;
    };
    if (!understood)
        return usageError(parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp();
    if (parser.isSet("version"))
        parser.showVersion();

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return usageError("no command given");
    const QString command = arguments.first();
    if (parser.isSet(csvOption) && (command != "history" || parser.isSet(jsonOption)))
        return usageError("--csv is for zyra history, without --json");
    if (command == "history") {
        if (arguments.size() != 1)
            return usageError("usage: zyra history [--json | --csv]");
        return history::print(parser.isSet(csvOption)    ? history::Format::Csv
                              : parser.isSet(jsonOption) ? history::Format::Json
                                                         : history::Format::Table,
                              reporter);
    }

    QString folder = parser.value(packageOption);
    if (command == "package") {
        if (arguments.value(1) != "check" || arguments.size() > 3)
            return usageError("usage: zyra package check [DIR]");
        if (arguments.size() == 3)
            folder = arguments.at(2);
    }
    // The tool works in the package's folder, as the window works in its own.
    if (!folder.isEmpty() && !QDir::setCurrent(folder))
        return usageError(QString("no package folder %1").arg(folder));
    if (command == "package")
        return checkPackage(reporter);
    if (command == "list")
        return arguments.size() == 1 ? unitchoice::list(reporter) : usageError("usage: zyra list");

    if (command == "region" || command == "mode" || command == "channels" || command == "info") {
        SettingsCommand settings(reporter, parser.isSet(yesOption));
        Interrupts interrupts;
        QObject::connect(&interrupts, &Interrupts::interrupted, &settings, &SettingsCommand::interrupt);
        QObject::connect(&settings, &SettingsCommand::ended, &application, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        interrupts.deliverPending();
        const unitchoice::Choice choice = unitchoice::choose(reporter, parser.value(unitOption));
        if (choice.refusedStatus >= 0)
            return choice.refusedStatus;
        settings.setUnitPort(choice.port);
        const QStringList settingArguments = arguments.mid(1);
        const int status = command == "region"     ? settings.startRegion(settingArguments)
                           : command == "mode"     ? settings.startMode(settingArguments)
                           : command == "channels" ? settings.startChannels(settingArguments)
                                                   : settings.startInfo(settingArguments);
        return status >= 0 ? status : application.exec();
    }
    if (command != "detect" && command != "update" && command != "pair")
        return usageError(QString("unknown command %1").arg(command));
    if (arguments.size() != 2)
        return usageError(QString("usage: zyra %1 TYPE").arg(command));
    const int type = deviceTypeOf(arguments.at(1));
    if (type < 0)
        return usageError(
            QString("unknown unit type %1; TYPE is one of %2").arg(arguments.at(1), deviceTypeNames().join(", ")));
    if (parser.isSet(fanOption) && (command != "update" || type != DeviceTypes::SdiReceiver))
        return usageError("--fan-control is for zyra update sdi-rx only");
    const bool each = parser.isSet(eachOption);
    if (command == "update" && (each || parser.isSet(allOption) || parser.values(unitOption).size() > 1)) {
        if (int(each) + int(parser.isSet(allOption)) + int(parser.isSet(unitOption)) > 1)
            return usageError("give one of --all, --each and --unit");
        QStringList childArguments{"update", arguments.at(1), "--package", QDir::currentPath()};
        if (parser.isSet(fanOption))
            childArguments << "--fan-control" << parser.value(fanOption);
        // A station's log is a line per unit, on a terminal too.
        BatchView view(
            each && reporter.style() == Reporter::Style::Terminal ? Reporter::Style::Plain : reporter.style(), each);
        BatchUpdate batch(type, childArguments, parser.values(unitOption), view);
        StationUpdate station(type, childArguments, view);
        Interrupts interrupts;
        if (each) {
            QObject::connect(&interrupts, &Interrupts::interrupted, &station, &StationUpdate::interrupt);
            QObject::connect(&station, &StationUpdate::ended, &application, &QCoreApplication::exit,
                             Qt::QueuedConnection);
            station.start();
        } else {
            QObject::connect(&interrupts, &Interrupts::interrupted, &batch, &BatchUpdate::interrupt);
            QObject::connect(&batch, &BatchUpdate::ended, &application, &QCoreApplication::exit, Qt::QueuedConnection);
            batch.start();
        }
        return application.exec();
    }
    if (parser.isSet(allOption) || each)
        return usageError("--all and --each are for zyra update");
    const bool askTheUser = !parser.isSet(yesOption) && isatty(STDIN_FILENO);
    const unitchoice::Choice choice = unitchoice::choose(reporter, parser.value(unitOption));
    if (choice.refusedStatus >= 0)
        return choice.refusedStatus;
    // Without --unit a run finds its unit as with one attached: the video
    // module first, its radio once started, or the 2K pairing's units in turn.
    const QString chosenPort = parser.isSet(unitOption) ? choice.port : QString();
    if (command == "pair") {
        if (DeviceTypes::isTransmitter(type))
            return usageError("zyra pair takes a receiver type: hdmi-rx, sdi-rx or 2k-rx");
        PairCommand pairCommand(type, reporter, askTheUser);
        pairCommand.setUnitPort(chosenPort);
        Interrupts interrupts;
        QObject::connect(&interrupts, &Interrupts::interrupted, &pairCommand, &PairCommand::interrupt);
        QObject::connect(&pairCommand, &PairCommand::ended, &application, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        pairCommand.start();
        return application.exec();
    }
    const int fanControl = fanControlMode(parser.value(fanOption));
    if (fanControl < 0)
        return usageError(QString("unknown fan control %1").arg(parser.value(fanOption)));

    UnitCommand unitCommand(type, reporter, askTheUser);
    unitCommand.setUnitPort(chosenPort);
    Interrupts interrupts;
    QObject::connect(&interrupts, &Interrupts::interrupted, &unitCommand, &UnitCommand::interrupt);
    QObject::connect(&unitCommand, &UnitCommand::ended, &application, &QCoreApplication::exit, Qt::QueuedConnection);
    if (command == "detect")
        unitCommand.detect();
    else
        unitCommand.update(static_cast<uint8_t>(fanControl));
    return application.exec();
}
