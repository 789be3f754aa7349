// The steps of a 2K receiver's pairing on their own: the last step's Ok
// against a transmitter already in broadcast and without a unit, and leaving
// the first and last step. The whole procedure is walked in pairingflow_test.
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
    void escapeGoesBackAStepAndCloseWaitsForTheTask_data();
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

void Pair2KStep3Test::escapeGoesBackAStepAndCloseWaitsForTheTask_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("screenAfterTask");
    QTest::newRow("step 1, Next") << 1 << "nextButton" << 0;
    QTest::newRow("step 3, OK") << 3 << "okButton" << 4;
}

// Escape hid the only window shown, which ended the program: at rest it goes
// back a step; closing never leaves while the task runs (its progress
// dialog offers Cancel).
void Pair2KStep3Test::escapeGoesBackAStepAndCloseWaitsForTheTask()
{
    QFETCH(int, step);
    QFETCH(QString, button);
    QFETCH(int, screenAfterTask);
    Pair2KStep1Dialog step1;
    QDialog *window = step == 1 ? static_cast<QDialog *>(&step1) : step3.get();
    QSignalSpy back(&step1, SIGNAL(gotoBack()));
    QSignalSpy next(window, SIGNAL(gotoNextScreen(int)));

    settingstest::ModalScript script;
    if (step == 3)
        script.answerBox("OK");
    auto tx = plugIn(1, broadcast);
    settingstest::CommandGate gate;
    gate.install(*tx, settingstest::code::storageGet);
    window->show();
    click(window, qPrintable(button));
    QVERIFY(QTest::qWaitFor([&gate] { return gate.reached(); }, 10000));
    QVERIFY2(!window->close(), "closing waits for the task");
    gate.release();
    QVERIFY(QTest::qWaitFor([&next] { return !next.isEmpty(); }, 10000));
    QCOMPARE(next.first().at(0).toInt(), screenAfterTask);

    window->show();
    QTest::keyClick(window, Qt::Key_Escape);
    if (step == 1) {
        QCOMPARE(back.count(), 1);
    } else {
        QCOMPARE(next.count(), 2);
        QCOMPARE(next.last().at(0).toInt(), 4);
    }
}

QTEST_MAIN(Pair2KStep3Test)
#include "pair2kstep3_test.moc"
