// Leaving the program: closing asks first while a run is going on, and the
// program never hangs on exit whatever the worker is doing.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <memory>

#include "commandgate.h"
#include "flowdriver.h"
#include "guitest.h"
#include "txrxdialog.h"
#include "wire_codes.h"
#include "workspace.h"
#include "zyra_sim/clock.h"

using guitest::CommandGate;
using guitest::FlowDriver;
using guitest::ModalAnswerer;
using guitest::Workspace;

class ClosingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();
    void closingAtRestAsksNothing_data();
    void closingAtRestAsksNothing();
    void quittingDuringARunEndsPromptly_data();
    void quittingDuringARunEndsPromptly();

private:
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<FlowDriver> flow;
};

void ClosingTest::init()
{
    workspace = std::make_unique<Workspace>();
    QVERIFY(workspace->isValid());
    flow = std::make_unique<FlowDriver>();
}

void ClosingTest::cleanup()
{
    flow.reset();
    workspace.reset();
    zyra_sim::Clock::instance().setRealTime(false);
}

void ClosingTest::closingDuringARunAsksFirst_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("throughDone");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");

    const QString detecting = "The unit is being detected.";
    const QString updating = "An update is in progress.";
    QTest::newRow("detection, close, No") << false << false << "No" << detecting;
    QTest::newRow("detection, Done, No") << false << true << "No" << detecting;
    QTest::newRow("detection, Done, Yes") << false << true << "Yes" << detecting;
    QTest::newRow("update, close, No") << true << false << "No" << updating;
    QTest::newRow("update, Done, No") << true << true << "No" << updating;
}

// The close question comes from closing the window, or from quit(), the slot
// of Done and Exit; only Yes ends the program.
void ClosingTest::closingDuringARunAsksFirst()
{
    QFETCH(bool, update);
    QFETCH(bool, throughDone);
    QFETCH(QString, answer);
    QFETCH(QString, question);

    auto unit = workspace->prepareUnit(2);
    flow->openUpdate(2);
    CommandGate gate;
    if (update) {
        QVERIFY(flow->next());
        gate.install(*unit, wire::GET_APP_VERSION);
        QVERIFY(flow->clickIfEnabled("recFanControlButton"));
    } else {
        // The first is the unit list's, read before the detection starts.
        gate.install(*unit, wire::GET_APP_VERSION, 1);
        flow->click("nextPushButton");
    }
    QVERIFY(QTest::qWaitFor([&] { return gate.reached(); }, 10000));

    ModalAnswerer answerer(answer);
    constexpr int stillRunning = 42;
    QTimer::singleShot(0, flow->window(), [&] {
        if (throughDone)
            QMetaObject::invokeMethod(flow->window(), "quit");
        else
            flow->window()->close();
    });
    // Once answered, a program that keeps running is still in its loop a
    // moment later. Local timers: none may fire into a later test.
    QTimer settle;
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, [] { QCoreApplication::exit(stillRunning); });
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (answerer.answered() && !settle.isActive())
            settle.start(50);
    });
    watch.start(5);
    const int loopResult = QCoreApplication::exec();
    watch.stop();
    settle.stop();

    QVERIFY2(answerer.answered(), "leaving during a run should ask");
    QVERIFY2(answerer.seenText().startsWith(question), qPrintable(answerer.seenText()));
    const bool kept = answer == "No";
    QCOMPARE(loopResult == stillRunning, kept || !throughDone);
    QCOMPARE(flow->window()->isVisible(), kept);

    gate.release();
    // The run ends before the program is torn down.
    flow->window()->show();
    QVERIFY(flow->waitForRest());
}

void ClosingTest::closingAtRestAsksNothing_data()
{
    QTest::addColumn<bool>("deviceSelection");
    QTest::addColumn<bool>("escape");
    QTest::newRow("update layout, close") << false << false;
    QTest::newRow("device selection, close") << true << false;
    QTest::newRow("device selection, Escape") << true << true;
}

// Where nothing can run, leaving asks nothing: the program ends with its
// last window, as from the main window.
void ClosingTest::closingAtRestAsksNothing()
{
    QFETCH(bool, deviceSelection);
    QFETCH(bool, escape);
    flow->openUpdate(1);
    if (deviceSelection)
        flow->backToDeviceSelection();
    QWidget *window = deviceSelection ? guitest::topLevel<TxRxDialog>() : flow->window();
    QVERIFY(window->isVisible());
    ModalAnswerer guard("No");
    QTimer::singleShot(0, window, [&] {
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->close();
    });
    // Qt ends the loop on the last window closed; a program that keeps
    // running is still in it a moment later.
    constexpr int stillRunning = 42;
    QTimer settle;
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, [] { QCoreApplication::exit(stillRunning); });
    settle.start(200);
    const int loopResult = QCoreApplication::exec();
    settle.stop();

    QVERIFY2(!guard.answered(), "no question when nothing runs");
    QVERIFY(!window->isVisible());
    QCOMPARE(loopResult, 0);
}

void ClosingTest::quittingDuringARunEndsPromptly_data()
{
    QTest::addColumn<QString>("stuckIn");
    QTest::newRow("radio restart") << QString();
    QTest::newRow("flasher run") << QString("flasher");
}

// The processes whose program is the given path.
static QList<qint64> processesOf(const QByteArray &program)
{
    QList<qint64> found;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile commandLine("/proc/" + entry + "/cmdline");
        if (commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().split('\0').value(0) == program)
            found << entry.toLongLong();
    }
    return found;
}

void ClosingTest::quittingDuringARunEndsPromptly()
{
    QFETCH(QString, stuckIn);
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationDirPath() + "/quit_during_update",
                stuckIn.isEmpty() ? QStringList() : QStringList{stuckIn});
    QVERIFY(child.waitForStarted());
    QVERIFY2(child.waitForFinished(30000), "the program should not hang on exit");
    const QByteArray errors = child.readAllStandardError();
    const QByteArray flasher = child.readAllStandardOutput().trimmed();

    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(errors.contains("LEAVING WHILE THE UNIT IS STILL BEING UPDATED"), errors.right(2000).constData());
    QCOMPARE(child.exitCode(), EXIT_FAILURE);
    QVERIFY2(clock.elapsed() < 20000, "leaving should take the grace time, not the worker's minutes");
    if (flasher.isEmpty())
        return;
    // The ended flasher may take a moment to go; one left behind is ended
    // here, so that a failure leaves no process running.
    const bool ended = QTest::qWaitFor([&] { return processesOf(flasher).isEmpty(); }, 5000);
    for (const qint64 orphan : processesOf(flasher))
        ::kill(static_cast<pid_t>(orphan), SIGKILL);
    QVERIFY2(ended, "the hung dfu-programmer should be ended with the program");
}

QTEST_MAIN(ClosingTest)
#include "closing_test.moc"
