// The pairing dialog on its own against a virtual receiver: its form, the
// screens of a whole pairing, Back, errors and RETRY, and Finish with the
// question about broadcast mode.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "guitest.h"
#include "pairing/pairdialog.h"
#include "pairing/pairerrordialog.h"
#include "pairingtest.h"
#include "settingstest.h"
#include "spinner.h"
#include "workspace.h"
#include "zyra_sim/bus.h"

using namespace pairingtest;

namespace {

const uint8_t irCommand = wire::IR_COMMAND;
const uint8_t getSide = wire::GET_SIDE;
const uint8_t storageRestore = wire::STORAGE_RESTORE;
const char broadcastQuestion[] =
    "ZYRA Transmission Mode: The Zyra Rx and Tx Devices were set to Unicast Mode for the pairing process; click "
    "Yes if you would like them to be set back to Broadcast Mode?";
const char connectionError[] =
    "ZYRA Connection Error: Error - cannot connect to the ZYRA Device! Please check that it is connected and "
    "powered on.";

}  // namespace

class PairDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newDialogsAreReadyToPair();
    void pictureAndButtonsFollowTheDeviceType_data();
    void pictureAndButtonsFollowTheDeviceType();

    void wholePairingWalksTheScreensAndPairsTheUnit();
    void loadingAnimationIsOneSpinnerForEveryPairing();
    void backWhileWaitingLeavesTheUnitInPairing();

    void errorThatKeepsTheSessionShowsTheErrorWindowOnly();
    void retryBringsTheDialogBackReady();
    void errorThatClosesTheSessionClosesItAfterTheWorker();
    void retryWhileTheStepGoesOnOffersNoSecondPairing();
    void leavingDuringAStepAsksAndWaitsForIt_data();
    void leavingDuringAStepAsksAndWaitsForIt();
    void escapeAtRestGoesBackNotOut();

    void finishOnAnHdmiReceiverLeavesWithoutAQuestion();
    void finishOn2KWithTransmitterAlreadyInUnicastAsksNothing();
    void finishOn2KAnsweredNoLeaves();
    void finishOn2KAnsweredYesSetsTheReceiverToBroadcast();
    void failingBroadcastTaskKeepsTheDialogWithFinish();

private:
    // Which buttons the screen offers: "connect ok back" with each enabled
    // one in upper case, then the loader and Finish if shown.
    QString screenState() const;
    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(name); }
    PairErrorDialog *errorWindow() const { return guitest::topLevel<PairErrorDialog>(); }
    void openFor(int deviceType);
    bool waitForScreen(const QString &state);
    // Pair and OK through to Finish.
    bool pairAndConfirm();
    // Finish pressed at the end of a pairing.
    void finish(int deviceType, uint8_t savedTxMode);

    std::unique_ptr<guitest::Workspace> workspace;
    std::unique_ptr<PairDialog> dialog;
    std::unique_ptr<QSignalSpy> leaving;
};

void PairDialogTest::init()
{
    workspace = std::make_unique<guitest::Workspace>();
    QVERIFY(workspace->isValid());
    dialog = std::make_unique<PairDialog>();
    leaving = std::make_unique<QSignalSpy>(dialog.get(), SIGNAL(gotoNextScreen(int)));
}

void PairDialogTest::cleanup()
{
    leaving.reset();
    dialog.reset();
    workspace.reset();
}

QString PairDialogTest::screenState() const
{
    QStringList parts;
    for (const char *name : {"connectButton", "OKButton", "backButton"}) {
        const QString word = QString(name).remove("Button").toLower();
        parts << (button(name)->isEnabled() ? word.toUpper() : word);
    }
    if (dialog->findChild<QLabel *>("loadingIcon")->isVisible())
        parts << "loading";
    if (button("doneButton")->isVisible())
        parts << "finish";
    return parts.join(' ');
}

void PairDialogTest::openFor(int deviceType)
{
    dialog->deviceType = deviceType;
    dialog->loadPairingImage();
    dialog->show();
}

bool PairDialogTest::waitForScreen(const QString &state)
{
    return QTest::qWaitFor([&] { return screenState() == state; }, 10000);
}

bool PairDialogTest::pairAndConfirm()
{
    click(dialog.get(), "connectButton");
    if (!waitForScreen("connect OK BACK"))
        return false;
    click(dialog.get(), "OKButton");
    return waitForScreen("CONNECT ok BACK finish");
}

void PairDialogTest::finish(int deviceType, uint8_t savedTxMode)
{
    openFor(deviceType);
    dialog->savedTxMode = savedTxMode;
    QVERIFY(QMetaObject::invokeMethod(dialog.get(), "finishedPairing"));
    click(dialog.get(), "doneButton");
}

void PairDialogTest::newDialogsAreReadyToPair()
{
    QCOMPARE(screenState(), QString("CONNECT ok BACK"));
    QVERIFY2(!button("OKButton")->autoDefault(), "Enter must not confirm a pairing");
    PairErrorDialog errorDialog;
    QCOMPARE(errorDialog.findChild<QLabel *>("pairErrorLabel")->text(), QString("Error"));
}

void PairDialogTest::pictureAndButtonsFollowTheDeviceType_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("okY");
    QTest::addColumn<int>("connectY");
    const QString hdmi = ":/myresources/Images/hdmi_rx_pairing.png";
    QTest::newRow("HDMI TX") << 0 << hdmi << 595 << 263;
    QTest::newRow("SDI TX") << 1 << hdmi << 595 << 263;
    QTest::newRow("HDMI RX") << 2 << hdmi << 595 << 263;
    QTest::newRow("SDI RX") << 3 << ":/myresources/Images/sdi_rx_pairing.png" << 595 << 263;
    QTest::newRow("2K TX") << 4 << hdmi << 595 << 263;
    QTest::newRow("2K RX") << 5 << ":/myresources/Images/sdi_2k_rx_pairing.png" << 408 << 221;
}

void PairDialogTest::pictureAndButtonsFollowTheDeviceType()
{
    QFETCH(int, deviceType);
    QFETCH(QString, picture);
    QFETCH(int, okY);
    QFETCH(int, connectY);
    dialog->deviceType = 5 - deviceType;
    dialog->loadPairingImage();
    dialog->deviceType = deviceType;
    dialog->loadPairingImage();
    QCOMPARE(guitest::labelImage(dialog->findChild<QLabel *>("label")), guitest::resourceImage(picture));
    QCOMPARE(button("OKButton")->pos(), QPoint(731, okY));
    QCOMPARE(button("connectButton")->pos(), QPoint(731, connectY));
}

void PairDialogTest::wholePairingWalksTheScreensAndPairsTheUnit()
{
    auto unit = plugIn(2, broadcast);
    openFor(2);
    click(dialog.get(), "connectButton");
    QCOMPARE(screenState(), QString("connect ok back loading"));
    QVERIFY(waitForScreen("connect OK BACK"));
    QCOMPARE(unit->pairingStage(), zyra_sim::PairingStage::AwaitingConfirmation);
    click(dialog.get(), "OKButton");
    QCOMPARE(screenState(), QString("connect ok back"));
    QVERIFY(waitForScreen("CONNECT ok BACK finish"));
    QVERIFY(unit->paired());
    QVERIFY(dialog->isVisible());
    QCOMPARE(leaving->count(), 0);
    QVERIFY(!errorWindow() || !errorWindow()->isVisible());
}

void PairDialogTest::loadingAnimationIsOneSpinnerForEveryPairing()
{
    plugIn(2, broadcast);
    openFor(2);
    auto *loader = dialog->findChild<Spinner *>();
    QVERIFY(loader);
    QVERIFY(pairAndConfirm());
    click(dialog.get(), "connectButton");
    QVERIFY(loader->isSpinning());
    QVERIFY(!dialog->findChild<QLabel *>("loadingIcon")->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(waitForScreen("connect OK BACK"));
    QVERIFY2(!loader->isSpinning(), "the hidden loader stops");
    QCOMPARE(dialog->findChildren<Spinner *>().size(), 1);
}

void PairDialogTest::backWhileWaitingLeavesTheUnitInPairing()
{
    auto unit = plugIn(2, broadcast);
    openFor(2);
    click(dialog.get(), "connectButton");
    QVERIFY(waitForScreen("connect OK BACK"));
    click(dialog.get(), "backButton");
    QVERIFY(!dialog->isVisible());
    QCOMPARE(leaving->count(), 1);
    QCOMPARE(leaving->first().at(0).toInt(), 2);
    QCOMPARE(screenState(), QString("CONNECT ok BACK"));
    QCOMPARE(unit->pairingStage(), zyra_sim::PairingStage::AwaitingConfirmation);
    QVERIFY2(unit->keys() == (std::vector<uint8_t>{30, 8, 8}), "no confirmation may be sent");
}

void PairDialogTest::errorThatKeepsTheSessionShowsTheErrorWindowOnly()
{
    settingstest::DebugLog trace;
    plugIn(1, broadcast);
    openFor(4);
    click(dialog.get(), "connectButton");
    QVERIFY(QTest::qWaitFor([this] { return errorWindow() && errorWindow()->isVisible(); }, 10000));
    QCOMPARE(errorWindow()->findChild<QLabel *>("pairErrorLabel")->text(), QString("Please, connect a Receiver"));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(screenState(), QString("CONNECT ok BACK"));
    QCOMPARE(trace.count("DISCONNECTING FROM ZYRA"), 0);
    QCOMPARE(zyra_sim::Bus::instance().initCount(), 0);
}

void PairDialogTest::retryBringsTheDialogBackReady()
{
    plugIn(1, broadcast);
    openFor(0);
    click(dialog.get(), "connectButton");
    QVERIFY(QTest::qWaitFor([this] { return errorWindow() && errorWindow()->isVisible(); }, 10000));
    dialog->deviceType = 3;
    click(errorWindow(), "retryButton");
    QVERIFY(dialog->isVisible());
    QVERIFY(!errorWindow()->isVisible());
    QCOMPARE(screenState(), QString("CONNECT ok BACK"));
    QVERIFY2(guitest::labelImage(dialog->findChild<QLabel *>("label")) ==
                 guitest::resourceImage(":/myresources/Images/sdi_rx_pairing.png"),
             "RETRY reloads the picture of the type");
}

void PairDialogTest::errorThatClosesTheSessionClosesItAfterTheWorker()
{
    settingstest::DebugLog trace;
    // The worker closes the session right after this line; holding it there
    // would let a dialog that does not wait for it close the session first.
    TraceHold hold("ERROR READING ZYRA INFO", 300);
    auto unit = plugIn(2, broadcast);
    unit->silenceCommand(getSide);
    openFor(3);
    click(dialog.get(), "connectButton");
    QVERIFY(QTest::qWaitFor([this] { return errorWindow() && errorWindow()->isVisible(); }, 10000));
    QCOMPARE(errorWindow()->findChild<QLabel *>("pairErrorLabel")->text(), QString("Error while Reading ZYRA info"));
    QCOMPARE(trace.count("DISCONNECTING FROM ZYRA"), 1);
    QVERIFY2(trace.count("FAILED TO DISCONNECT") == 1, "the worker must have closed the session already");
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
    QCOMPARE(zyra_sim::Bus::instance().misuses(), 0);
}

void PairDialogTest::retryWhileTheStepGoesOnOffersNoSecondPairing()
{
    auto unit = plugIn(2, broadcast);
    unit->silenceCommand(storageRestore);
    settingstest::CommandGate gate;
    gate.install(*unit, irCommand);
    openFor(2);
    click(dialog.get(), "connectButton");
    QVERIFY(QTest::qWaitFor([this] { return errorWindow() && errorWindow()->isVisible(); }, 10000));
    QVERIFY(errorWindow()->findChild<QLabel *>("pairErrorLabel")->text().endsWith("Error Code: 45"));
    QVERIFY(QTest::qWaitFor([&gate] { return gate.reached(); }, 10000));
    click(errorWindow(), "retryButton");
    QCOMPARE(screenState(), QString("connect ok back loading"));
    gate.release();
    QVERIFY(waitForScreen("connect OK BACK"));
}

void PairDialogTest::leavingDuringAStepAsksAndWaitsForIt_data()
{
    QTest::addColumn<bool>("escape");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("fromErrorWindow");
    QTest::newRow("Escape, No") << true << "No" << false;
    QTest::newRow("close, No") << false << "No" << false;
    QTest::newRow("Escape, Yes") << true << "Yes" << false;
    QTest::newRow("close, Yes") << false << "Yes" << false;
    // A storage error shows while its step goes on.
    QTest::newRow("error window, close, No") << false << "No" << true;
    QTest::newRow("error window, close, Yes") << false << "Yes" << true;
}

// Escape hid the only window and Qt ended the program, possibly between
// the storage restore and the user's settings written back.
void PairDialogTest::leavingDuringAStepAsksAndWaitsForIt()
{
    QFETCH(bool, escape);
    QFETCH(QString, answer);
    QFETCH(bool, fromErrorWindow);
    auto unit = plugIn(2, broadcast);
    if (fromErrorWindow)
        unit->silenceCommand(storageRestore);
    settingstest::CommandGate gate;
    gate.install(*unit, irCommand);
    openFor(2);
    click(dialog.get(), "connectButton");
    QVERIFY(QTest::qWaitFor([&gate] { return gate.reached(); }, 10000));
    if (fromErrorWindow)
        QVERIFY(QTest::qWaitFor([this] { return errorWindow() && errorWindow()->isVisible(); }, 10000));
    QWidget *window = fromErrorWindow ? static_cast<QWidget *>(errorWindow()) : dialog.get();

    constexpr int stillRunning = 42;
    guitest::ModalAnswerer answerer(answer);
    bool shownOnceAnswered = true;
    QTimer::singleShot(0, window, [&] {
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->close();
        shownOnceAnswered = window->isVisible();
        gate.release();
        if (answer == "No" && waitForScreen("connect OK BACK"))
            QCoreApplication::exit(stillRunning);
    });
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    failsafe.start(30000);
    const int loopResult = QCoreApplication::exec();
    failsafe.stop();

    QVERIFY(answerer.answered());
    QCOMPARE(answerer.seenText(), QString("A pairing step is in progress.\n\nDo you want to quit once it has ended?"));
    QCOMPARE(shownOnceAnswered, answer == "No");
    // Yes: the program's loop ends once the step has.
    QCOMPARE(loopResult, answer == "No" ? stillRunning : 0);
    QCOMPARE(unit->pairingStage(), zyra_sim::PairingStage::AwaitingConfirmation);
    QVERIFY2((errorWindow() && errorWindow()->isVisible()) == (fromErrorWindow && answer == "No"),
             "nothing shows after Yes; No keeps the error window");
}

// In the program's loop, where Qt ends it on the last window closed.
void PairDialogTest::escapeAtRestGoesBackNotOut()
{
    openFor(2);
    constexpr int stillRunning = 42;
    QTimer::singleShot(0, dialog.get(), [this] {
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QTimer::singleShot(50, dialog.get(), [] { QCoreApplication::exit(stillRunning); });
    });
    QCOMPARE(QCoreApplication::exec(), stillRunning);
    QCOMPARE(leaving->count(), 1);
    QCOMPARE(leaving->first().at(0).toInt(), 2);
}

void PairDialogTest::finishOnAnHdmiReceiverLeavesWithoutAQuestion()
{
    settingstest::ModalScript script;
    finish(2, broadcast);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(leaving->count(), 1);
    QCOMPARE(leaving->first().at(0).toInt(), 4);
    QVERIFY(script.unexpected().isEmpty());
}

void PairDialogTest::finishOn2KWithTransmitterAlreadyInUnicastAsksNothing()
{
    settingstest::ModalScript script;
    finish(5, unicast);
    QCOMPARE(leaving->count(), 1);
    QCOMPARE(leaving->first().at(0).toInt(), 4);
    QVERIFY(script.unexpected().isEmpty());
}

void PairDialogTest::finishOn2KAnsweredNoLeaves()
{
    settingstest::ModalScript script;
    script.answerBox("No");
    auto unit = plugIn(2, unicast);
    finish(5, broadcast);
    QVERIFY(script.finished());
    QCOMPARE(script.boxes(), QStringList{broadcastQuestion});
    QCOMPARE(leaving->count(), 1);
    QCOMPARE(leaving->first().at(0).toInt(), 4);
    QCOMPARE(storedMode(*unit), unicast);
}

void PairDialogTest::finishOn2KAnsweredYesSetsTheReceiverToBroadcast()
{
    settingstest::ModalScript script;
    script.answerBox("Yes");
    auto unit = plugIn(2, unicast);
    finish(5, broadcast);
    QVERIFY2(dialog->isVisible(), "the dialog stays while the task runs");
    QVERIFY(QTest::qWaitFor([this] { return leaving->count() == 1; }, 10000));
    QCOMPARE(leaving->first().at(0).toInt(), 6);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedMode(*unit), broadcast);
    QCOMPARE(unit->restartCount(), 1);
}

void PairDialogTest::failingBroadcastTaskKeepsTheDialogWithFinish()
{
    settingstest::ModalScript script;
    script.answerBox("Yes");
    script.answerBox("OK");
    finish(5, broadcast);
    QVERIFY(QTest::qWaitFor([&script] { return script.finished(); }, 10000));
    QCOMPARE(script.boxes().value(1), QString(connectionError));
    QVERIFY(dialog->isVisible());
    QCOMPARE(screenState(), QString("CONNECT ok BACK finish"));
    QCOMPARE(leaving->count(), 0);
}

QTEST_MAIN(PairDialogTest)
#include "pairdialog_test.moc"
#include "wire_codes.h"
