// The first and last step of a 2K receiver's pairing on their own, against
// a virtual transmitter: their forms, the tasks behind Next and Ok, the
// mode kept for the end, and the ways out without a task.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "guitest.h"
#include "pair2kstep1dialog.h"
#include "pair2kstep3dialog.h"
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

class Pair2KStepsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formsHaveTheirPicturesAndButtons();

    void nextSwitchesABroadcastTransmitterToUnicastAndKeepsItsMode();
    void nextOnATransmitterInUnicastOnlyStartsRegistration();
    void nextWithAReceiverAttachedShowsTheErrorAndStays();
    void backLeavesStepOneWithoutATask();

    void okSetsTheTransmitterBackToBroadcast();
    void okOnATransmitterInBroadcastSucceedsWithoutARestart();
    void okWithoutAUnitShowsTheErrorAndStays();
    void cancelLeavesTheTransmitterInUnicast();

private:
    std::unique_ptr<Pair2KStep1Dialog> step1;
    std::unique_ptr<Pair2KStep3Dialog> step3;
};

void Pair2KStepsTest::init()
{
    zyra_sim::Bus::instance().reset();
    step1 = std::make_unique<Pair2KStep1Dialog>();
    step3 = std::make_unique<Pair2KStep3Dialog>();
}

void Pair2KStepsTest::cleanup()
{
    step1.reset();
    step3.reset();
    zyra_sim::Bus::instance().reset();
}

void Pair2KStepsTest::formsHaveTheirPicturesAndButtons()
{
    const struct {
        QDialog *dialog;
        const char *picture;
        const char *forward;
        const char *forwardText;
        const char *away;
        const char *awayText;
    } forms[] = {
        {step1.get(), ":/myresources/Images/sdi_2k_rx_pairing_s1.png", "nextButton", "Next", "backButton", "Back"},
        {step3.get(), ":/myresources/Images/sdi_2k_rx_pairing_s2.png", "okButton", "Ok", "cancelButton", "Cancel"},
    };
    for (const auto &form : forms) {
        QCOMPARE(form.dialog->windowTitle(), QString("Zyra Utility"));
        QCOMPARE(form.dialog->maximumSize(), QSize(960, 550));
        QCOMPARE(guitest::labelImage(form.dialog->findChild<QLabel *>("label")),
                 guitest::resourceImage(form.picture));
        auto *forward = form.dialog->findChild<QPushButton *>(form.forward);
        auto *away = form.dialog->findChild<QPushButton *>(form.away);
        QCOMPARE(forward->text(), QString(form.forwardText));
        QCOMPARE(forward->geometry(), QRect(820, 490, 114, 32));
        QCOMPARE(away->text(), QString(form.awayText));
        QCOMPARE(away->geometry(), QRect(40, 490, 114, 32));
    }
}

void Pair2KStepsTest::nextSwitchesABroadcastTransmitterToUnicastAndKeepsItsMode()
{
    settingstest::ModalScript script;
    auto tx = plugIn(1, broadcast);
    QCOMPARE(outcomeOf(step1.get(), "nextButton", script), 0);
    QVERIFY(!step1->isVisible());
    QCOMPARE(step1->savedTxMode, broadcast);
    QCOMPARE(storedMode(*tx), unicast);
    QCOMPARE(tx->restartCount(), 1);
    QCOMPARE(tx->registrationCount(), 1);
}

void Pair2KStepsTest::nextOnATransmitterInUnicastOnlyStartsRegistration()
{
    settingstest::ModalScript script;
    step1->savedTxMode = broadcast;
    auto tx = plugIn(1, unicast);
    QCOMPARE(outcomeOf(step1.get(), "nextButton", script), 0);
    QCOMPARE(step1->savedTxMode, unicast);
    QCOMPARE(tx->restartCount(), 0);
    QCOMPARE(tx->registrationCount(), 1);
}

void Pair2KStepsTest::nextWithAReceiverAttachedShowsTheErrorAndStays()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    step1->savedTxMode = broadcast;
    auto rx = plugIn(2, broadcast);
    QCOMPARE(outcomeOf(step1.get(), "nextButton", script), stays);
    QCOMPARE(script.boxes(), QStringList{connectionError});
    QVERIFY(step1->isVisible());
    QCOMPARE(step1->savedTxMode, broadcast);
    QCOMPARE(storedMode(*rx), broadcast);
    QCOMPARE(rx->registrationCount(), 0);
}

void Pair2KStepsTest::backLeavesStepOneWithoutATask()
{
    QSignalSpy back(step1.get(), SIGNAL(gotoBack()));
    auto tx = plugIn(1, broadcast);
    step1->show();
    click(step1.get(), "backButton");
    QCOMPARE(back.count(), 1);
    QVERIFY(!step1->isVisible());
    QVERIFY(tx->frames().empty());
}

void Pair2KStepsTest::okSetsTheTransmitterBackToBroadcast()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    auto tx = plugIn(1, unicast);
    QCOMPARE(outcomeOf(step3.get(), "okButton", script), 4);
    QCOMPARE(script.boxes(), QStringList{"ZYRA Transmisson Mode Settings: Settings Changed Successfully!"});
    QVERIFY(!step3->isVisible());
    QCOMPARE(storedMode(*tx), broadcast);
    QCOMPARE(tx->restartCount(), 1);
}

void Pair2KStepsTest::okOnATransmitterInBroadcastSucceedsWithoutARestart()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    auto tx = plugIn(1, broadcast);
    QCOMPARE(outcomeOf(step3.get(), "okButton", script), 4);
    QCOMPARE(tx->restartCount(), 0);
    QVERIFY(tx->framesWithCode(settingstest::code::storageSet).empty());
}

void Pair2KStepsTest::okWithoutAUnitShowsTheErrorAndStays()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    QCOMPARE(outcomeOf(step3.get(), "okButton", script), stays);
    QCOMPARE(script.boxes(), QStringList{connectionError});
    QVERIFY(step3->isVisible());
}

void Pair2KStepsTest::cancelLeavesTheTransmitterInUnicast()
{
    QSignalSpy next(step3.get(), SIGNAL(gotoNextScreen(int)));
    auto tx = plugIn(1, unicast);
    step3->show();
    click(step3.get(), "cancelButton");
    QCOMPARE(next.count(), 1);
    QCOMPARE(next.first().at(0).toInt(), 4);
    QVERIFY(!step3->isVisible());
    QVERIFY(tx->frames().empty());
    QCOMPARE(storedMode(*tx), unicast);
}

QTEST_MAIN(Pair2KStepsTest)
#include "tst_pair2ksteps.moc"
