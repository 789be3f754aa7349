// Pairing through the whole program, as a person walks it: device and mode
// selection, the pairing dialog and, for a 2K receiver, the three windows
// with the transmitter and the receiver plugged in turn.
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "dashboard.h"
#include "guitest.h"
#include "pairing/pair2kstep1dialog.h"
#include "pairing/pair2kstep3dialog.h"
#include "pairing/pairdialog.h"
#include "pairingtest.h"
#include "settings/modeselectiondialog.h"
#include "settingstest.h"
#include "txrxdialog.h"
#include "workspace.h"
#include "zyra_sim/bus.h"

using guitest::topLevel;
using namespace pairingtest;

class PairingFlowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void receiverPairsFromModeSelectionToDeviceSelection_data();
    void receiverPairsFromModeSelectionToDeviceSelection();
    void twoKPairingWithATransmitterInBroadcastEndsInStepThree_data();
    void twoKPairingWithATransmitterInBroadcastEndsInStepThree();
    void twoKPairingWithATransmitterInUnicastEndsAfterThePairingDialog();
    void twoKPairingWithAReceiverInStepOneStaysThere();
    void backFromStepOneReturnsToModeSelection();

private:
    void choosePairingOf(int deviceType);
    // Pair, OK and Finish in the shown pairing dialog.
    void pairInTheDialog();
    // Step 1 with a transmitter in txMode, then the pairing dialog with a
    // receiver in broadcast.
    void pairTwoKReceiver(uint8_t txMode);
    static void plugBack(const std::shared_ptr<zyra_sim::VirtualUnit> &unit);

    std::unique_ptr<guitest::Workspace> workspace;
    std::unique_ptr<DashBoard> dashboard;
    std::shared_ptr<zyra_sim::VirtualUnit> tx;
    std::shared_ptr<zyra_sim::VirtualUnit> rx;
};

void PairingFlowTest::init()
{
    workspace = std::make_unique<guitest::Workspace>();
    QVERIFY(workspace->isValid());
    dashboard = std::make_unique<DashBoard>();
}

void PairingFlowTest::cleanup()
{
    dashboard.reset();
    tx.reset();
    rx.reset();
    workspace.reset();
}

void PairingFlowTest::choosePairingOf(int deviceType)
{
    const char *buttons[] = {"HDMITXpushButton", "SDITXpushButton",  "HDMIRXpushButton",
                             "SDIRXpushButton",  "TwoKTXpushButton", "TwoKRXpushButton"};
    click(topLevel<TxRxDialog>(), buttons[deviceType]);
    click(topLevel<modeSelectionDialog>(), "pairModeButton");
}

void PairingFlowTest::pairInTheDialog()
{
    auto *dialog = topLevel<PairDialog>();
    QVERIFY(waitUntilShown(dialog));
    click(dialog, "connectButton");
    auto *ok = dialog->findChild<QPushButton *>("OKButton");
    QVERIFY(QTest::qWaitFor([ok] { return ok->isEnabled(); }, 10000));
    click(dialog, "OKButton");
    auto *finish = dialog->findChild<QPushButton *>("doneButton");
    QVERIFY(QTest::qWaitFor([finish] { return finish->isVisible(); }, 10000));
    click(dialog, "doneButton");
}

void PairingFlowTest::pairTwoKReceiver(uint8_t txMode)
{
    rx = plugIn(2, broadcast);
    tx = plugIn(1, txMode);
    choosePairingOf(5);
    QVERIFY(waitUntilShown(topLevel<Pair2KStep1Dialog>()));
    click(topLevel<Pair2KStep1Dialog>(), "nextButton");
    QVERIFY(waitUntilShown(topLevel<PairDialog>()));
    plugBack(rx);
    pairInTheDialog();
}

void PairingFlowTest::plugBack(const std::shared_ptr<zyra_sim::VirtualUnit> &unit)
{
    zyra_sim::Bus::instance().attach(unit);
}

void PairingFlowTest::receiverPairsFromModeSelectionToDeviceSelection_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("HDMI RX") << 2;
    QTest::newRow("SDI RX") << 3;
}

void PairingFlowTest::receiverPairsFromModeSelectionToDeviceSelection()
{
    QFETCH(int, deviceType);
    rx = plugIn(2, broadcast);
    choosePairingOf(deviceType);
    pairInTheDialog();
    QVERIFY(waitUntilShown(topLevel<TxRxDialog>()));
    QCOMPARE(guitest::visibleWindowClasses(), QStringList{"TxRxDialog"});
    QVERIFY(rx->paired());
    QCOMPARE(rx->restoreCount(), 1);
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void PairingFlowTest::twoKPairingWithATransmitterInBroadcastEndsInStepThree_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("txMode");
    QTest::addColumn<int>("txRestarts");
    QTest::newRow("OK: both in broadcast") << "okButton" << int(broadcast) << 2;
    QTest::newRow("Cancel: the transmitter stays in unicast") << "cancelButton" << int(unicast) << 1;
}

void PairingFlowTest::twoKPairingWithATransmitterInBroadcastEndsInStepThree()
{
    QFETCH(QString, button);
    QFETCH(int, txMode);
    QFETCH(int, txRestarts);
    settingstest::ModalScript script;
    script.answerBox("Yes");
    if (txMode == broadcast)
        script.answerBox("OK");
    pairTwoKReceiver(broadcast);
    QVERIFY(waitUntilShown(topLevel<Pair2KStep3Dialog>()));
    QVERIFY2(rx->paired(), "the receiver is paired");
    QCOMPARE(storedMode(*rx), broadcast);
    QCOMPARE(storedMode(*tx), unicast);

    plugBack(tx);
    click(topLevel<Pair2KStep3Dialog>(), qPrintable(button));
    QVERIFY(waitUntilShown(topLevel<TxRxDialog>()));
    QVERIFY(script.finished());
    QVERIFY(script.unexpected().isEmpty());
    QCOMPARE(int(storedMode(*tx)), txMode);
    QCOMPARE(storedMode(*rx), broadcast);
    QCOMPARE(tx->registrationCount(), 1);
    QCOMPARE(tx->restartCount(), txRestarts);
    QCOMPARE(rx->restartCount(), 2);
}

void PairingFlowTest::twoKPairingWithATransmitterInUnicastEndsAfterThePairingDialog()
{
    settingstest::ModalScript script;
    pairTwoKReceiver(unicast);
    QVERIFY(waitUntilShown(topLevel<TxRxDialog>()));
    QVERIFY(script.unexpected().isEmpty());
    QVERIFY(!topLevel<Pair2KStep3Dialog>()->isVisible());
    QVERIFY(rx->paired());
    QCOMPARE(storedMode(*rx), unicast);
    QCOMPARE(storedMode(*tx), unicast);
    QCOMPARE(tx->registrationCount(), 1);
    QCOMPARE(tx->restartCount(), 0);
}

void PairingFlowTest::twoKPairingWithAReceiverInStepOneStaysThere()
{
    settingstest::ModalScript script;
    script.answerBox("OK");
    rx = plugIn(2, broadcast);
    choosePairingOf(5);
    click(topLevel<Pair2KStep1Dialog>(), "nextButton");
    QVERIFY(QTest::qWaitFor([&script] { return script.finished(); }, 10000));
    QCOMPARE(guitest::visibleWindowClasses(), QStringList{"Pair2KStep1Dialog"});
    QVERIFY(rx->framesWithCode(settingstest::code::storageSet).empty());
}

void PairingFlowTest::backFromStepOneReturnsToModeSelection()
{
    choosePairingOf(5);
    click(topLevel<Pair2KStep1Dialog>(), "backButton");
    QCOMPARE(guitest::visibleWindowClasses(), QStringList{"modeSelectionDialog"});
}

QTEST_MAIN(PairingFlowTest)
#include "pairingflow_test.moc"
