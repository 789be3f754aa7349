// The last step of a 2K receiver's pairing on its own: Ok against a
// transmitter already in broadcast and without a unit. The whole procedure
// is walked in tst_pairingflow.
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "pairing/pair2kstep1dialog.h"
#include "pairing/pair2kstep3dialog.h"
#include "pairingtest.h"
#include "settingstest.h"
#include "zyra_sim/bus.h"

using namespace pairingtest;

namespace {

const char connectionError[] =
    "ZYRA Connection Error: Error - cannot connect to the ZYRA Device! Please check that it is connected and "
    "powered on.";

const int stays = -1;
const int noOutcome = -2;

// Shows the step, clicks the button and waits for the task's outcome: the
// screen the step leads to, `stays` once a box ended the task in it, or
// `noOutcome` after 10 s.
int outcomeOf(QDialog *step, const char *button, const settingstest::ModalScript &script)
{
    QSignalSpy next(step, SIGNAL(gotoNextScreen(int)));
    step->show();
    click(step, button);
    if (!QTest::qWaitFor([&] { return !next.isEmpty() || !script.boxes().isEmpty(); }, 10000))
        return noOutcome;
    return next.isEmpty() ? stays : next.first().at(0).toInt();
}

}  // namespace

class Pair2KStep3Test : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void okOnATransmitterInBroadcastSucceedsWithoutARestart();
    void okWithoutAUnitShowsTheErrorAndStays();
    void escapeGoesBackAStepAndCloseWaitsForTheTask();

private:
    std::unique_ptr<Pair2KStep3Dialog> step3;
};

void Pair2KStep3Test::init()
{
    zyra_sim::Bus::instance().reset();
    step3 = std::make_unique<Pair2KStep3Dialog>();
}

void Pair2KStep3Test::cleanup()
{
    step3.reset();
    zyra_sim::Bus::instance().reset();
}

void Pair2KStep3Test::okOnATransmitterInBroadcastSucceedsWithoutARestart()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    auto tx = plugIn(1, broadcast);
    QCOMPARE(outcomeOf(step3.get(), "okButton", script), 4);
    QCOMPARE(tx->restartCount(), 0);
    QVERIFY(tx->framesWithCode(settingstest::code::storageSet).empty());
}

void Pair2KStep3Test::okWithoutAUnitShowsTheErrorAndStays()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    QCOMPARE(outcomeOf(step3.get(), "okButton", script), stays);
    QCOMPARE(script.boxes(), QStringList{connectionError});
    QVERIFY(step3->isVisible());
}

// Escape hid the only window shown, which ended the program.
void Pair2KStep3Test::escapeGoesBackAStepAndCloseWaitsForTheTask()
{
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    Pair2KStep1Dialog step1;
    QSignalSpy back(&step1, SIGNAL(gotoBack()));
    step1.show();
    QTest::keyClick(&step1, Qt::Key_Escape);
    QCOMPARE(back.count(), 1);

    settingstest::ModalScript script;
    script.answerBox("OK");
    auto tx = plugIn(1, broadcast);
    settingstest::CommandGate gate;
    gate.install(*tx, settingstest::code::storageGet);
    QSignalSpy next(step3.get(), SIGNAL(gotoNextScreen(int)));
    step3->show();
    click(step3.get(), "okButton");
    QVERIFY(QTest::qWaitFor([&gate] { return gate.reached(); }, 10000));
    QVERIFY2(!step3->close(), "closing waits for the task");
    gate.release();
    QVERIFY(QTest::qWaitFor([&next] { return !next.isEmpty(); }, 10000));
    step3->show();
    QTest::keyClick(step3.get(), Qt::Key_Escape);
    QCOMPARE(next.count(), 2);
    QCOMPARE(next.last().at(0).toInt(), 4);
    QCOMPARE(lastClosed.count(), 0);
}

QTEST_MAIN(Pair2KStep3Test)
#include "pair2kstep3_test.moc"
