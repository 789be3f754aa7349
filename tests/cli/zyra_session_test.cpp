// zyra sessions of several runs, or of one run driven while it goes: the
// virtual unit keeps its settings from one run to the next, a 2K pairing on a
// terminal waits for Enter while the units are swapped, Ctrl-C stops an update.
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "zyra_child.h"

namespace {

// zyra started in the bench, its events read one by one as they come.
class Session
{
public:
    Session(const Bench &bench, const QStringList &arguments, const QString &side,
            const QString &standardInput = QString(), const QString &standardOutput = QString())
    {
        zyra_.setProcessEnvironment(bench.environment(side));
        if (!standardInput.isEmpty())
            zyra_.setStandardInputFile(standardInput);
        if (!standardOutput.isEmpty())
            zyra_.setStandardOutputFile(standardOutput);
        zyra_.start(ZYRA_CLI, bench.arguments(arguments));
    }
    // zyra with a Ctrl-C already waiting as it starts: SIGINT is blocked and
    // raised in the child before it runs zyra (a pending signal outlives
    // exec), and zyra takes it once its handler is in place.
    static void startInterrupted(Session *session, const Bench &bench, const QStringList &arguments,
                                 const QString &side)
    {
        session->zyra_.ctrlCHeld = true;
        session->zyra_.setProcessEnvironment(bench.environment(side));
        session->zyra_.start(ZYRA_CLI, bench.arguments(arguments));
    }
    Session() = default;
    ~Session()
    {
        if (zyra_.state() != QProcess::NotRunning)
            zyra_.kill();
        zyra_.waitForFinished();
    }

    // The next event but the signs of life, empty once zyra has ended or
    // none came within 10 s.
    QString nextEvent()
    {
        const QDeadlineTimer deadline(10000);
        Outcome outcome;
        while (outcome.events.isEmpty()) {
            while (!zyra_.canReadLine() && zyra_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                continue;
            if (!zyra_.canReadLine())
                break;
            addEvent(zyra_.readLine(), outcome);
        }
        return outcome.events.value(0);
    }
    // Reads events until one equal to wanted, empty if zyra ends first.
    QString awaitEvent(const QString &wanted)
    {
        QString event;
        do
            event = nextEvent();
        while (!event.isEmpty() && event != wanted);
        EXPECT_EQ(event, wanted) << stderrText();
        return event;
    }
    // The events still to come and the exit status (-1: crashed or still running after 10 s).
    int finish(QStringList *events)
    {
        for (QString event = nextEvent(); !event.isEmpty(); event = nextEvent())
            *events << event;
        zyra_.waitForFinished(10000);
        if (zyra_.state() != QProcess::NotRunning || zyra_.exitStatus() != QProcess::NormalExit)
            return -1;
        return zyra_.exitCode();
    }
    void interrupt()
    {
        // Never pid 0, which would be the test's own process group.
        const auto pid = static_cast<pid_t>(zyra_.processId());
        ASSERT_GT(pid, 0) << "zyra has ended";
        ASSERT_EQ(::kill(pid, SIGINT), 0);
    }
    std::string stderrText() { return QString::fromLocal8Bit(zyra_.readAllStandardError()).toStdString(); }

private:
    class Process : public QProcess
    {
    public:
        bool ctrlCHeld = false;

    protected:
        void setupChildProcess() override
        {
            if (!ctrlCHeld)
                return;
            sigset_t interrupt;
            sigemptyset(&interrupt);
            sigaddset(&interrupt, SIGINT);
            sigprocmask(SIG_BLOCK, &interrupt, nullptr);
            raise(SIGINT);
        }
    };
    Process zyra_;
};

// The result of one short run, its events joined.
QString runOnce(const Bench &bench, const QStringList &arguments, const QString &side)
{
    const Outcome outcome = bench.run(arguments, side);
    return QString::number(outcome.status) + " " + outcome.events.join(" | ");
}

struct RoundTrip {
    const char *name;
    QStringList set;
    QStringList get;
    QString side;
    QString got;
};

void PrintTo(const RoundTrip &row, std::ostream *out)
{
    *out << row.name;
}

class SettingRoundTrip : public testing::TestWithParam<RoundTrip>
{
};

TEST_P(SettingRoundTrip, TheNextRunReadsWhatTheLastOneSet)
{
    const RoundTrip &row = GetParam();
    const Bench bench(false);
    // A setting run tells what the unit holds once it is written.
    EXPECT_EQ(runOnce(bench, row.set + QStringList{"--json"}, row.side), "0 done: " + row.got);
    EXPECT_EQ(runOnce(bench, row.get + QStringList{"--json"}, row.side), "0 done: " + row.got);
}

// The sample unit's plan has 5670 MHz (DFS) switched off: on and off leave
// the channels they do not name as they are.
INSTANTIATE_TEST_SUITE_P(
    Settings, SettingRoundTrip,
    testing::Values(RoundTrip{"region", {"region", "set", "japan-outdoor"}, {"region", "get"}, "rx", "japan-outdoor"},
                    RoundTrip{"mode", {"mode", "set", "broadcast"}, {"mode", "get"}, "tx", "broadcast"},
                    RoundTrip{"channels_off",
                              {"channels", "off", "5190", "5795"},
                              {"channels", "get"},
                              "rx",
                              "5190 off, 5230 on, 5270 on DFS, 5310 on DFS, 5510 on DFS, 5550 on DFS, 5670 off DFS, "
                              "5755 on, 5795 off"},
                    RoundTrip{"channels_on",
                              {"channels", "on", "5670"},
                              {"channels", "get"},
                              "rx",
                              "5190 on, 5230 on, 5270 on DFS, 5310 on DFS, 5510 on DFS, 5550 on DFS, 5670 on DFS, "
                              "5755 on, 5795 on"},
                    RoundTrip{"channels_set_with_yes",
                              {"channels", "set", "5230", "--yes"},
                              {"channels", "get"},
                              "rx",
                              "5190 on, 5230 off, 5270 on DFS, 5310 on DFS, 5510 on DFS, 5550 on DFS, 5670 on DFS, "
                              "5755 on, 5795 on"}),
    RowName());

// A pseudo-terminal: its slave as zyra's standard input makes zyra wait for
// Enter; as its standard output, zyra writes for a person.
class Terminal
{
public:
    Terminal() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        if (master_ >= 0 && (grantpt(master_) != 0 || unlockpt(master_) != 0)) {
            close(master_);
            master_ = -1;
        }
    }
    ~Terminal()
    {
        if (master_ >= 0)
            close(master_);
    }
    bool opened() const { return master_ >= 0; }
    QString slavePath() const { return QString::fromLocal8Bit(ptsname(master_)); }
    void pressEnter() const { ASSERT_EQ(write(master_, "\n", 1), 1); }
    // What zyra wrote until its last writer closed the terminal, or 20 s passed.
    QString output()
    {
        const QDeadlineTimer deadline(20000);
        pollfd readable{master_, POLLIN, 0};
        char chunk[4096];
        while (poll(&readable, 1, static_cast<int>(deadline.remainingTime())) > 0) {
            const ssize_t count = read(master_, chunk, sizeof chunk);
            if (count <= 0)
                break;
            output_.append(chunk, static_cast<int>(count));
        }
        return QString::fromLocal8Bit(output_);
    }

private:
    int master_;
    QByteArray output_;
};

// A 2K pairing's prompts, each with the unit attached before pressing Enter.
const std::pair<QString, QByteArray> twoKPrompts[] = {
    {"step: Step 1 of 3: attach the transmitter, then press Enter.", "tx\n"},
    {"step: Step 2 of 3: attach the receiver, then press Enter.", "rx\n"},
    {"step: The receiver waits for its transmitter; press Enter to confirm the pairing.", "rx\n"},
    {"step: Step 3 of 3: attach the transmitter again, then press Enter.", "tx\n"},
};

TEST(ZyraPairing, TwoKReceiverOnATerminalWithTheUnitsSwappedBetweenSteps)
{
    const Bench bench(false);
    ASSERT_EQ(runOnce(bench, {"mode", "set", "broadcast", "--json"}, "tx"), "0 done: broadcast");
    const Terminal terminal;
    ASSERT_TRUE(terminal.opened());
    Session pairing(bench, {"pair", "2k-rx", "--json"}, "none", terminal.slavePath());
    for (const auto &[prompt, side] : twoKPrompts) {
        ASSERT_EQ(pairing.awaitEvent(prompt), prompt);
        bench.write("state/unit.side", side);
        terminal.pressEnter();
    }
    QStringList rest;
    EXPECT_EQ(pairing.finish(&rest), 0) << pairing.stderrText();
    EXPECT_EQ(rest, QStringList{"done"});
    QFile::remove(bench.path("state/unit.side"));
    EXPECT_EQ(runOnce(bench, {"mode", "get", "--json"}, "tx"), "0 done: broadcast");
    EXPECT_EQ(runOnce(bench, {"mode", "get", "--json"}, "rx"), "0 done: broadcast");
}

struct TerminalRun {
    const char *name;
    QStringList arguments;
    QString side;
    bool videoModule;
    // Whole lines of the output, in this order, each before the run goes on.
    QStringList lines;
};

void PrintTo(const TerminalRun &row, std::ostream *out)
{
    *out << row.name;
}

class ZyraOnATerminal : public testing::TestWithParam<TerminalRun>
{
};

TEST_P(ZyraOnATerminal, ShowsEveryStepAsItStarts)
{
    const TerminalRun &row = GetParam();
    const Bench bench(row.videoModule);
    Terminal terminal;
    ASSERT_TRUE(terminal.opened());
    Session run(bench, row.arguments, row.side, QString(), terminal.slavePath());
    const QString output = terminal.output();
    QStringList rest;
    EXPECT_EQ(run.finish(&rest), 0) << run.stderrText();
    QStringList lines;
    // The terminal ends lines with CR LF; the progress line is redrawn after a CR.
    for (const QString &line : output.split("\r\n"))
        lines << line.section('\r', -1);
    QStringList shown;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(shown),
                 [&row](const QString &line) { return row.lines.contains(line); });
    EXPECT_EQ(shown, row.lines) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ZyraOnATerminal,
    testing::Values(TerminalRun{"update",
                                {"update", "sdi-tx"},
                                "tx",
                                true,
                                {"Updating Video Module", "Updating Radio 1 of 2", "Updating Radio 2 of 2",
                                 "Updating device configuration", "ZYRA firmware update successful!"}},
                    TerminalRun{"pairing",
                                {"pair", "hdmi-rx"},
                                "rx",
                                false,
                                {"Pairing ZYRA",
                                 "The receiver waits for its transmitter; press Enter to confirm the pairing.",
                                 "Pairing finished."}}),
    RowName());

QByteArray contents(const Bench &bench, const QString &relative)
{
    QFile file(bench.path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What zyra notes at the first Ctrl-C: the step it lets end (the one
// running when the signal came, which virtual time may have moved past the
// awaited one), and that a second one may leave the unit unusable.
bool isStopNote(const QString &event)
{
    return event.startsWith("note: Stopping once the step \"Updating ") &&
           event.endsWith("Ctrl-C again leaves at once, which may leave the unit unusable until it is updated again.");
}

struct Interruption {
    const char *name;
    QString atStep;
    // The second Ctrl-C follows the first once zyra has told it heard it
    // (two at once would reach it as one signal).
    bool twice;
};

void PrintTo(const Interruption &row, std::ostream *out)
{
    *out << row.name;
}

class ZyraCtrlC : public testing::TestWithParam<Interruption>
{
};

TEST_P(ZyraCtrlC, StopsTheUpdateWithStatus130)
{
    const Interruption &row = GetParam();
    const Bench bench(true);
    const QByteArray oldFlash = contents(bench, "state/xmega.flash");
    Session update(bench, {"update", "sdi-tx", "--json"}, "tx");
    ASSERT_EQ(update.awaitEvent(row.atStep), row.atStep);
    update.interrupt();
    QStringList events;
    if (row.twice) {
        do
            events << update.nextEvent();
        while (!events.last().isEmpty() && !isStopNote(events.last()));
        ASSERT_TRUE(isStopNote(events.last())) << events.join(" | ").toStdString();
        update.interrupt();
    }
    const int status = update.finish(&events);

    EXPECT_EQ(status, 130) << update.stderrText();
    const std::string told = events.join(" | ").toStdString();
    EXPECT_FALSE(events.contains("done")) << told;
    const auto noted = std::find_if(events.begin(), events.end(), isStopNote);
    ASSERT_NE(noted, events.end()) << told;
    EXPECT_EQ(QStringList(noted, events.end()).filter("step:").size(), 0)
        << "no step starts once the stop is noted: " << told;
    // The second Ctrl-C may come before or after the step's end: with or without the stopped report.
    if (row.twice)
        return;
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.last(), "error: 130") << told;
    // The video module's step ran whole: its image flashed and its application started.
    EXPECT_NE(contents(bench, "state/xmega.flash"), oldFlash);
    EXPECT_EQ(contents(bench, "state/xmega.mode"), "running 1\n") << "started once";
}

// The second Ctrl-C while the worker ends the stopped run, as it does at once
// after the first radio's step.
INSTANTIATE_TEST_SUITE_P(Interruptions, ZyraCtrlC,
                         testing::Values(Interruption{"once", "step: Updating Video Module", false},
                                         Interruption{"twice", "step: Updating Radio 1 of 2", true}),
                         RowName());

// A Ctrl-C while the unit is still being detected: the update never starts.
TEST(ZyraDetectionCtrlC, EndsBeforeTheUpdateStarts)
{
    const Bench bench(true);
    const QByteArray oldFlash = contents(bench, "state/xmega.flash");
    Session update;
    Session::startInterrupted(&update, bench, {"update", "sdi-tx", "--json"}, "tx");
    QStringList events;
    EXPECT_EQ(update.finish(&events), 130) << update.stderrText();
    EXPECT_TRUE(events.contains("note: Stopping once the unit's detection has ended; Ctrl-C again leaves at once."))
        << events.join(" | ").toStdString();
    EXPECT_EQ(events.filter("step:").size(), 0) << events.join(" | ").toStdString();
    EXPECT_EQ(contents(bench, "state/xmega.flash"), oldFlash);
}

// The first Ctrl-C's note of the settings and pairing commands.
const QString stepStopNote = "note: Stopping after the current step; Ctrl-C again leaves at once.";

// A command that changes the unit, with a Ctrl-C as it starts: it starts
// no task, and the unit keeps its setting.
struct SettingInterruption {
    const char *name;
    QStringList set;
    QStringList get;
    QString got;  // the setting read back afterwards
};

void PrintTo(const SettingInterruption &row, std::ostream *out)
{
    *out << row.name;
}

class ZyraSettingCtrlC : public testing::TestWithParam<SettingInterruption>
{
};

TEST_P(ZyraSettingCtrlC, ChangesNothing)
{
    const SettingInterruption &row = GetParam();
    const Bench bench(false);
    Session session;
    Session::startInterrupted(&session, bench, row.set + QStringList{"--json"}, "rx");
    QStringList events;
    EXPECT_EQ(session.finish(&events), 130) << session.stderrText();
    EXPECT_EQ(events, (QStringList{stepStopNote, "error: 130"}));
    EXPECT_EQ(runOnce(bench, row.get + QStringList{"--json"}, "rx"), row.got);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ZyraSettingCtrlC,
    testing::Values(SettingInterruption{"region_set", {"region", "set", "japan"}, {"region", "get"}, "0 done: usa"},
                    SettingInterruption{"mode_set", {"mode", "set", "broadcast"}, {"mode", "get"}, "0 done: unicast"},
                    SettingInterruption{"channels_off",
                                        {"channels", "off", "5190"},
                                        {"channels", "get"},
                                        "0 done: 5190 on, 5230 on, 5270 on DFS, 5310 on DFS, 5510 on DFS, 5550 on "
                                        "DFS, 5670 off DFS, 5755 on, 5795 on"}),
    RowName());

// zyra pair on a terminal, stopped while it waits for Enter or while the
// receiver's step runs: no further step, and the receiver keeps its region.
struct PairInterruption {
    const char *name;
    int promptsAnswered;
    QString atEvent;
};

void PrintTo(const PairInterruption &row, std::ostream *out)
{
    *out << row.name;
}

class ZyraPairCtrlC : public testing::TestWithParam<PairInterruption>
{
};

TEST_P(ZyraPairCtrlC, StopsWithStatus130)
{
    const PairInterruption &row = GetParam();
    const Bench bench(false);
    ASSERT_EQ(runOnce(bench, {"region", "set", "japan", "--json"}, "rx"), "0 done: japan");
    const Terminal terminal;
    ASSERT_TRUE(terminal.opened());
    Session pairing(bench, {"pair", "2k-rx", "--json"}, "none", terminal.slavePath());
    for (int answered = 0; answered < row.promptsAnswered; ++answered) {
        const auto &[prompt, side] = twoKPrompts[answered];
        ASSERT_EQ(pairing.awaitEvent(prompt), prompt);
        bench.write("state/unit.side", side);
        terminal.pressEnter();
    }
    ASSERT_EQ(pairing.awaitEvent(row.atEvent), row.atEvent);
    pairing.interrupt();
    QStringList events;
    EXPECT_EQ(pairing.finish(&events), 130) << pairing.stderrText();
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.last(), "error: 130");
    EXPECT_EQ(events.mid(std::max(0, events.indexOf(stepStopNote))).filter("step:").size(), 0)
        << events.join(" | ").toStdString();
    QFile::remove(bench.path("state/unit.side"));
    EXPECT_EQ(runOnce(bench, {"region", "get", "--json"}, "rx"), "0 done: japan");
}

INSTANTIATE_TEST_SUITE_P(
    Interruptions, ZyraPairCtrlC,
    testing::Values(PairInterruption{"waiting_for_enter", 0,
                                     "step: Step 1 of 3: attach the transmitter, then press Enter."},
                    PairInterruption{"during_the_receivers_step", 2, "step: Pairing ZYRA"}),
    RowName());

}  // namespace

namespace {

// One history line as "action type result code before -> after".
QString historyEntry(const QJsonObject &record)
{
    return QString("%1 %2 %3 %4 %5 -> %6")
        .arg(record.value("action").toString(), record.value("type").toString(), record.value("result").toString())
        .arg(record.value("code").toInt())
        .arg(record.value("version_before").toString(), record.value("version_after").toString());
}

}  // namespace

TEST(ZyraHistory, KeepsEveryRunThatChangedAUnitAfterATornLine)
{
    const Bench bench(true);
    QDir().mkpath(bench.path("state-home/zyra"));
    bench.write("state-home/zyra/history.jsonl", "{\"action\":\"upd");
    ASSERT_EQ(bench.run({"update", "sdi-tx", "--json"}, "tx").status, 0);
    ASSERT_EQ(bench.run({"region", "get", "--json"}, "tx").status, 0);
    ASSERT_EQ(bench.run({"region", "set", "japan", "--json"}, "tx").status, 0);
    bench.write("state/dfu.fail-at", "erase 2\n");
    bench.write("state/xmega.mode", "dfu\n");
    ASSERT_EQ(bench.run({"update", "sdi-tx", "--json"}, "tx").status, 12);

    QProcess history;
    history.setProcessEnvironment(bench.environment("none"));
    QStringList entries;
    history.start(ZYRA_CLI, {"history", "--json"});
    ASSERT_TRUE(history.waitForFinished(10000));
    EXPECT_EQ(history.exitCode(), 0);
    EXPECT_TRUE(history.readAllStandardError().contains("1 line(s)"));
    for (const QByteArray &line : history.readAllStandardOutput().trimmed().split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(record.value("package").toString(), QDir(bench.path(".")).canonicalPath());
        EXPECT_TRUE(QDateTime::fromString(record.value("time").toString(), Qt::ISODate).isValid());
        entries << historyEntry(record);
    }
    EXPECT_EQ(entries, (QStringList{"update sdi-tx success 0 1.3 -> 1.4", "region  success 0  -> ",
                                    "update sdi-tx failed 12 1.4 -> "}));

    history.start(ZYRA_CLI, {"history", "--csv"});
    ASSERT_TRUE(history.waitForFinished(10000));
    const QList<QByteArray> lines = history.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.first(), "time,action,type,port,serial,version_before,version_after,result,code,package");
    EXPECT_TRUE(lines.last().contains(",update,sdi-tx,")) << lines.last().constData();
}

namespace {

// A batch's outcome: the units it left untouched, each unit's summary as
// "port result code", and the history's records as the same.
struct BatchOutcome {
    int status = -1;
    QStringList skipped;
    QStringList summary;
    QStringList history;
};

// A unit by its hub: its radio (HUB.1) and its video module (HUB.2) are one unit.
QString hubOf(const QString &port)
{
    return port.section('.', 0, 0);
}

// zyra's JSON lines: the skipped and summary events.
void readBatchEvents(const QByteArray &output, BatchOutcome *outcome)
{
    for (const QByteArray &line : output.split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("event") == "skipped")
            outcome->skipped << event.value("port").toString();
        for (const QJsonValue &unit : event.value("units").toArray())
            outcome->summary << QString("%1 %2 %3")
                                    .arg(hubOf(unit["port"].toString()), unit["result"].toString())
                                    .arg(unit["code"].toInt());
    }
}

void readHistory(const Bench &bench, BatchOutcome *outcome)
{
    QProcess history;
    history.setProcessEnvironment(bench.environment("none"));
    history.start(ZYRA_CLI, {"history", "--json"});
    ASSERT_TRUE(history.waitForFinished(10000));
    for (const QByteArray &line : history.readAllStandardOutput().trimmed().split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        outcome->history << QString("%1 %2 %3")
                                .arg(hubOf(record["port"].toString()), record["result"].toString())
                                .arg(record["code"].toInt());
    }
}

// The files of every unit of the bench, by path.
QMap<QString, QByteArray> stateFiles(const Bench &bench)
{
    QMap<QString, QByteArray> files;
    QDirIterator found(bench.path("state"), QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        QFile file(found.next());
        if (file.open(QIODevice::ReadOnly))
            files.insert(file.fileName(), file.readAll());
    }
    return files;
}

struct BatchRun {
    const char *name;
    QString units;  // ZYRA_SIM_UNITS
    QStringList arguments;
    int status;
    QStringList skipped;
    // Each updated unit's summary by its hub, which its history record repeats.
    QStringList summary;
    // The unit whose files stay as they are.
    QString untouched;
    // The hubs whose video module waits in its bootloader with an older image.
    QStringList modules{};
};

void PrintTo(const BatchRun &row, std::ostream *out)
{
    *out << row.name;
}

class ZyraBatch : public testing::TestWithParam<BatchRun>
{
};

TEST_P(ZyraBatch, UpdatesTheUnitsOfTheTypeSideBySide)
{
    const BatchRun &row = GetParam();
    // The single unit's module image, copied to each module of the row.
    const Bench bench(!row.modules.isEmpty());
    const QStringList variables{"ZYRA_SIM_UNITS=" + row.units, "LD_LIBRARY_PATH=" ZYRA_WITHOUT_AGENTS_LIB_DIR};
    for (const QString &hub : row.modules) {
        QDir().mkpath(bench.path("state/" + hub));
        QFile::copy(bench.path("state/xmega.flash"), bench.path("state/" + hub + "/xmega.flash"));
        bench.write("state/" + hub + "/xmega.mode", "dfu\n");
    }
    // A bench's units keep their modules in their own folders alone.
    QFile::remove(bench.path("state/xmega.flash"));
    QFile::remove(bench.path("state/xmega.mode"));
    // The unit to be left alone has a setting of its own in its files.
    ASSERT_EQ(bench.run({"region", "set", "japan", "--json", "--unit", row.untouched + ".1"}, "none", variables).status,
              0);
    const QMap<QString, QByteArray> before = stateFiles(bench);

    QProcess zyra;
    zyra.setProcessEnvironment(bench.environment("none", variables));
    zyra.start(ZYRA_CLI, bench.arguments(row.arguments + QStringList{"--json"}));
    ASSERT_TRUE(zyra.waitForFinished(60000));
    BatchOutcome outcome;
    outcome.status = zyra.exitCode();
    readBatchEvents(zyra.readAllStandardOutput(), &outcome);
    readHistory(bench, &outcome);

    EXPECT_EQ(outcome.status, row.status) << zyra.readAllStandardError().constData();
    EXPECT_EQ(outcome.skipped, row.skipped);
    EXPECT_EQ(outcome.summary, row.summary);
    QStringList history = outcome.history.mid(1);  // after the region's record
    history.sort();
    EXPECT_EQ(history, row.summary) << "one record a unit updated";
    const QMap<QString, QByteArray> after = stateFiles(bench);
    const QString untouched = bench.path("state/" + row.untouched + "/");
    for (auto file = before.cbegin(); file != before.cend(); ++file) {
        if (!file.key().startsWith(untouched))
            continue;
        EXPECT_EQ(after.value(file.key()), file.value()) << file.key().toStdString();
    }
    EXPECT_TRUE(std::any_of(before.keyBegin(), before.keyEnd(),
                            [&untouched](const QString &path) { return path.startsWith(untouched); }));
}

// The unit of 1-3 with a bootloader the library has no boot agent for fails
// its first radio step.
INSTANTIATE_TEST_SUITE_P(Batches, ZyraBatch,
                         testing::Values(BatchRun{"all_two_of_three",
                                                  "rx,tx,rx",
                                                  {"update", "hdmi-rx", "--all"},
                                                  0,
                                                  {"1-2.1"},
                                                  {"1-1 success 0", "1-3 success 0"},
                                                  "1-2"},
                                         BatchRun{"one_unit_fails",
                                                  "rx,tx,rx@2.0.5",
                                                  {"update", "hdmi-rx", "--all"},
                                                  1,
                                                  {"1-2.1"},
                                                  {"1-1 success 0", "1-3 failed 23"},
                                                  "1-2"},
                                         BatchRun{"named_units_one_of_another_side",
                                                  "rx,tx,rx",
                                                  {"update", "hdmi-rx", "--unit", "1-3.1", "--unit", "1-2.1"},
                                                  1,
                                                  {"1-2.1"},
                                                  {"1-3 success 0"},
                                                  "1-1"},
                                         BatchRun{"video_modules_in_their_bootloaders",
                                                  "tx,rx,tx",
                                                  {"update", "sdi-tx", "--all"},
                                                  0,
                                                  {"1-2.1"},
                                                  {"1-1 success 0", "1-3 success 0"},
                                                  "1-2",
                                                  {"1-1", "1-3"}}),
                         RowName());

// Ctrl-C reaches the batch alone, which hands it to every unit's zyra:
// each stops at the end of the step it is in, and the summary says so.
TEST(ZyraBatchCtrlC, StopsEveryUnit)
{
    const Bench bench(false);
    bench.write("state/bench.units", "rx,rx\n");
    Session batch;
    Session::startInterrupted(&batch, bench, {"update", "hdmi-rx", "--all", "--json"}, "none");
    QStringList events;
    const int status = batch.finish(&events);
    const std::string told = events.join(" | ").toStdString();
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.last(), "summary");
    EXPECT_TRUE(events.first().startsWith("note: Stopping every unit")) << told;
    // In virtual time a unit may end its last step before its Ctrl-C is
    // taken: it is done, and only a stopped unit makes the status 130.
    const int stopped = static_cast<int>(events.filter("error: 130").size());
    EXPECT_EQ(stopped + events.filter(QRegularExpression("^done$")).size(), 2) << told;
    EXPECT_EQ(status, stopped > 0 ? 130 : 0) << told;
    EXPECT_EQ(QString::fromStdString(batch.stderrText()).count("Left during"), 0) << "one Ctrl-C is no second";
}

TEST(ZyraStation, UpdatesEachUnitOnceAsItIsAttached)
{
    const Bench bench(false);
    bench.write("state/bench.units", "rx\n");
    QProcess station;
    QProcessEnvironment environment = bench.environment("none", {"ZYRA_POLL_MS=50"});
    station.setProcessEnvironment(environment);
    station.start(ZYRA_CLI, bench.arguments({"update", "hdmi-rx", "--each", "--json"}));
    QStringList ended;
    QByteArray output;
    const auto awaitEnd = [&station, &ended, &output](int count) {
        const QDeadlineTimer deadline(30000);
        while (ended.size() < count && station.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            while (station.canReadLine()) {
                const QByteArray line = station.readLine();
                output += line;
                const QJsonObject event = QJsonDocument::fromJson(line).object();
                if (event.value("event") == "done" || event.value("event") == "error")
                    ended << event.value("port").toString() + " " + event.value("event").toString();
            }
    };
    awaitEnd(1);
    // A unit of another side comes and is left alone; a receiver comes after it.
    bench.write("state/bench.units", "rx,tx,rx\n");
    awaitEnd(2);
    ::kill(static_cast<pid_t>(station.processId()), SIGINT);
    ASSERT_TRUE(station.waitForFinished(30000));
    BatchOutcome outcome;
    readBatchEvents(output + station.readAllStandardOutput(), &outcome);
    readHistory(bench, &outcome);

    EXPECT_EQ(station.exitCode(), 0) << station.readAllStandardError().constData();
    EXPECT_EQ(ended, (QStringList{"1-1.1 done", "1-3.1 done"}));
    EXPECT_EQ(outcome.skipped, QStringList{"1-2.1"});
    EXPECT_EQ(outcome.summary, (QStringList{"1-1 success 0", "1-3 success 0"}));
    EXPECT_EQ(outcome.history, outcome.summary) << "each unit updated once";
}

}  // namespace
