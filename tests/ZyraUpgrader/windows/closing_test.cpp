// Leaving the program: closing asks first while a run is going on, and the
// program never hangs on exit whatever the worker is doing.
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "flowdriver.h"
#include "guitest.h"
#include "workspace.h"
#include "zyra_sim/clock.h"

using guitest::FlowDriver;
using guitest::ModalAnswerer;
using guitest::Workspace;

class ClosingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closingDuringARunAsksFirst();
    void closingAtRestAsksNothing();
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

void ClosingTest::closingDuringARunAsksFirst()
{
    auto unit = workspace->prepareUnit(2);
    flow->openUpdate(2);
    QVERIFY(flow->next());
    // Real time keeps the worker busy in the unit's restart while the window is closed.
    zyra_sim::Clock::instance().setRealTime(true);
    unit->setRestartTimeMs(60 * 1000);
    QVERIFY(flow->clickIfEnabled("recFanControlButton"));

    ModalAnswerer no("No");
    flow->window()->close();
    QVERIFY2(no.answered(), "closing during a run should ask");
    QVERIFY2(no.seenText().contains("update is in progress"), qPrintable(no.seenText()));
    QVERIFY2(flow->window()->isVisible(), "No keeps the program open");

    zyra_sim::Clock::instance().setRealTime(false);
    QVERIFY(flow->waitForRest());
}

void ClosingTest::closingAtRestAsksNothing()
{
    flow->openUpdate(1);
    ModalAnswerer guard("No");
    flow->window()->close();
    QCoreApplication::processEvents();
    QVERIFY2(!guard.answered(), "no question when nothing runs");
    QVERIFY(!flow->window()->isVisible());
}

void ClosingTest::quittingDuringARunEndsPromptly()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationDirPath() + "/quit_during_update", QStringList());
    QVERIFY(child.waitForStarted());
    QVERIFY2(child.waitForFinished(30000), "the program should not hang on exit");
    const QByteArray errors = child.readAllStandardError();

    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(errors.contains("LEAVING WHILE THE UNIT IS STILL BEING UPDATED"), errors.right(2000).constData());
    QCOMPARE(child.exitCode(), EXIT_FAILURE);
    QVERIFY2(clock.elapsed() < 20000, "leaving should take the grace time, not the worker's minutes");
}

QTEST_MAIN(ClosingTest)
#include "closing_test.moc"
