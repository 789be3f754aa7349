// Failures through the program's windows: one at each stage with its text,
// the fourth error's way out, and the recovery path with its Retry.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "flowdriver.h"
#include "guitest.h"
#include "workspace.h"
#include "zyra_sim/bus.h"

using guitest::FlowDriver;
using guitest::Workspace;

namespace {

// What the unit brings to the run: nothing, its radio side only, or all.
enum class Unit {
    Absent,
    RadioOnly,
    Complete
};

const char *const fourthErrorText = "Device update failed\n\nPlease try again \nor contact Corvane Support";

}  // namespace
Q_DECLARE_METATYPE(Unit)

class ErrorsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void failureShowsItsTextAndRetryReturnsToInstructions_data();
    void failureShowsItsTextAndRetryReturnsToInstructions();
    void fourthErrorInARowOffersExitAndContact();
    void successResetsTheErrorCount();

    void unitLostInVideoModuleStageLeadsToRecovery();
    void errorOnRecoveryPathAndRetryRunRecoveryAgain();
    void newDeviceChoiceAfterUnfinishedRecoveryDetectsAgain();

private:
    void expectRecoveryInstructions(int type);
    // An update of a unit whose radio side never comes back after its
    // video module restarts: the program asks for the recovery procedure.
    void reachRecovery(int type);

    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<FlowDriver> flow;
};

void ErrorsTest::init()
{
    workspace = std::make_unique<Workspace>();
    QVERIFY(workspace->isValid());
    flow = std::make_unique<FlowDriver>();
}

void ErrorsTest::cleanup()
{
    flow.reset();
    workspace.reset();
}

void ErrorsTest::failureShowsItsTextAndRetryReturnsToInstructions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QString>("missingFile");
    QTest::addColumn<bool>("eraseFails");
    QTest::addColumn<QString>("message");
    QTest::newRow("detection, no unit on USB")
        << 2 << Unit::Absent << "" << false
        << "Error, no device Detected.\n\nPlease check your USB connection\n\nError Code: 0";
    QTest::newRow("detection, no dfu-programmer")
        << 1 << Unit::Complete << "utils/dfu-programmer" << false
        << "Error, no device Detected.\n\nPlease check your USB connection \n\nError Code: 1";
    QTest::newRow("detection, no video module answers")
        << 0 << Unit::RadioOnly << "" << false
        << "Error, no device Detected.\n\nPlease check your USB connection \n\nError Code: 3";
    QTest::newRow("video module, image missing")
        << 1 << Unit::Complete << "firmware/firmware.hex" << false << "Error updating Video Module\n\nError Code: 11";
    QTest::newRow("video module, dfu-programmer fails")
        << 3 << Unit::Complete << "" << true
        << "Error while connecting to ZYRA\n\nErasing the video module failed.\n"
           "Retry and update again: it is flashed anew.\n\nError Code: 12";
    QTest::newRow("radio 1, firmware.ini missing")
        << 2 << Unit::Complete << "firmware/firmware.ini" << false << "Error updating Radio 1\n\nError Code: 21";
    QTest::newRow("radio 2, image missing")
        << 5 << Unit::Complete << "firmware2k/mac.bin" << false << "Error updating Radio 2\n\nError Code: 32";
    QTest::newRow("configuration, storage.ini missing") << 0 << Unit::Complete << "firmware/storage.ini" << false
                                                        << "R Error updating device configuration\n\nError Code: 42";
}

void ErrorsTest::failureShowsItsTextAndRetryReturnsToInstructions()
{
    QFETCH(int, type);
    QFETCH(Unit, unit);
    QFETCH(QString, missingFile);
    QFETCH(bool, eraseFails);
    QFETCH(QString, message);
    if (unit == Unit::Complete)
        workspace->prepareUnit(type);
    if (unit == Unit::RadioOnly)
        workspace->attachRadio(type);
    if (!missingFile.isEmpty())
        QVERIFY(workspace->removeFile(missingFile));
    // Run 1 is the detection's dump, run 2 the erase.
    if (eraseFails)
        workspace->xmega().addFault(zyra_dfu::Fault::Fail, 2, 2);
    flow->openUpdate(type);

    QVERIFY(flow->next());
    if (!flow->shown("errorLabel")) {
        QVERIFY2(flow->clickIfEnabled("recFanControlButton"), "detection should have led to the update layout");
        QVERIFY(flow->waitForRest());
    }

    QVERIFY2(flow->shown("errorLabel"), qPrintable("no error screen; status: " + flow->text("statusLabel")));
    QCOMPARE(flow->text("errorLabel"), message);
    QCOMPARE(flow->window()->size(), QSize(760, 450));
    const QStringList faults = guitest::layoutFaults(flow->window());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    QCOMPARE(guitest::labelImage(flow->widget<QLabel>("label_2")),
             guitest::resourceImage(":/myresources/Images/warning.png"));
    QCOMPARE(flow->text("reconnectPushButton"), QString("Retry"));
    QVERIFY(!flow->shown("contactLabel"));
    QVERIFY(!flow->shown("nextPushButton"));

    flow->click("reconnectPushButton");
    QCOMPARE(flow->window()->size(), QSize(960, 550));
    QVERIFY(flow->shown("nextPushButton"));
    QVERIFY(flow->widget<QPushButton>("nextPushButton")->isEnabled());
    QVERIFY(!flow->shown("errorLabel"));
    QVERIFY2(zyra_sim::Bus::instance().openHandles() == 0, "an error must leave the unit closed");
}

void ErrorsTest::fourthErrorInARowOffersExitAndContact()
{
    workspace->prepareUnit(1);
    QVERIFY(workspace->removeFile("utils/dfu-programmer"));
    flow->openUpdate(1);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QVERIFY(flow->next());
        QCOMPARE(flow->text("reconnectPushButton"), QString("Retry"));
        QVERIFY(!flow->shown("contactLabel"));
        flow->click("reconnectPushButton");
    }
    QVERIFY(flow->next());

    QCOMPARE(flow->text("errorLabel"), QString(fourthErrorText));
    QVERIFY(flow->shown("contactLabel"));
    QVERIFY2(flow->text("contactLabel").contains("mailto:"), "the contact should carry a mail link");
    QVERIFY(flow->widget<QLabel>("contactLabel")->openExternalLinks());
    QCOMPARE(flow->text("reconnectPushButton"), QString("Exit"));

    flow->click("reconnectPushButton");
    QVERIFY2(!flow->window()->isVisible(), "Exit should close the program's window");
}

void ErrorsTest::successResetsTheErrorCount()
{
    workspace->prepareUnit(1);
    QVERIFY(workspace->removeFile("utils/dfu-programmer"));
    flow->openUpdate(1);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QVERIFY(flow->next());
        flow->click("reconnectPushButton");
    }
    QVERIFY(QFile::link(ZYRA_DFU_STANDIN, workspace->path("utils/dfu-programmer")));
    QVERIFY(flow->next());
    QVERIFY(flow->clickIfEnabled("recFanControlButton"));
    QVERIFY(flow->waitForRest());
    QVERIFY2(flow->shown("doneButton"), qPrintable("the update should succeed: " + flow->text("errorLabel")));

    flow->click("reconnectPushButton");  // "Update Next"
    QVERIFY(workspace->removeFile("utils/dfu-programmer"));
    flow->chooseDevice(1);
    flow->openUpdateFromModeSelection();
    QVERIFY(flow->next());
    QCOMPARE(flow->text("reconnectPushButton"), QString("Retry"));
    QVERIFY(!flow->shown("contactLabel"));
}

void ErrorsTest::expectRecoveryInstructions(int type)
{
    const char *pictures[] = {"hdmi_tx", "sdi_tx", "hdmi_rx", "sdi_rx", "sdi_2k_tx", "sdi_2k_rx"};
    QCOMPARE(flow->window()->size(), QSize(960, 550));
    QCOMPARE(guitest::labelImage(flow->widget<QLabel>("label_2")),
             guitest::resourceImage(QString(":/myresources/Images/%1_recovery.png").arg(pictures[type])));
    QVERIFY(flow->shown("nextPushButton"));
    QVERIFY(flow->shown("backPushButton"));
    QVERIFY(!flow->shown("fanControlLabel"));
}

void ErrorsTest::reachRecovery(int type)
{
    workspace->prepareUnit(type, false);
    flow->openUpdate(type);
    QVERIFY(flow->next());
    QVERIFY(flow->clickIfEnabled("recFanControlButton"));
    QVERIFY(flow->waitForRest());
}

void ErrorsTest::unitLostInVideoModuleStageLeadsToRecovery()
{
    reachRecovery(1);
    expectRecoveryInstructions(1);

    auto unit = workspace->attachRadio(1);
    flow->forgetRecord();
    QVERIFY(flow->next());

    QCOMPARE(flow->barValues().value(0, -1), 1000);
    QCOMPARE(flow->statuses(),
             QStringList({"Updating Radio 1 of 2", "Updating Radio 2 of 2", "Restoring Device",
                          "Updating device configuration ",
                          "ZYRA firmware update successful!\nNOTE: You may need to re-pair this transmitter "
                          "with paired receivers."}));
    QVERIFY(flow->shown("doneButton"));
}

void ErrorsTest::errorOnRecoveryPathAndRetryRunRecoveryAgain()
{
    reachRecovery(1);
    workspace->attachRadio(1);
    QVERIFY(workspace->removeFile("firmware/mac.bin"));

    QVERIFY(flow->next());
    QCOMPARE(flow->text("errorLabel"), QString("Error updating Radio 2\n\nError Code: 32"));
    flow->click("reconnectPushButton");
    expectRecoveryInstructions(1);

    QVERIFY(QFile::copy(ZYRA_SAMPLE_PACKAGE_DIR "/firmware/mac.bin", workspace->path("firmware/mac.bin")));
    flow->forgetRecord();
    flow->click("nextPushButton");
    QVERIFY2(!flow->shown("scanningLabel"), "Next on the recovery picture must not detect again");
    QCOMPARE(flow->text("statusLabel"), QString("Updating Radio 1 of 2"));
    QVERIFY(flow->waitForRest());
    QVERIFY(flow->statuses().contains("Restoring Device"));
    QVERIFY(flow->shown("doneButton"));
}

void ErrorsTest::newDeviceChoiceAfterUnfinishedRecoveryDetectsAgain()
{
    reachRecovery(1);
    expectRecoveryInstructions(1);

    flow->click("backPushButton");
    flow->backToDeviceSelection();
    flow->chooseDevice(0);
    flow->openUpdateFromModeSelection();
    QCOMPARE(guitest::labelImage(flow->widget<QLabel>("label_2")),
             guitest::resourceImage(":/myresources/Images/hdmi_tx_update.png"));
    flow->click("nextPushButton");
    QVERIFY2(flow->shown("scanningLabel"), "a new unit starts with a detection");
    QVERIFY(flow->waitForRest());
}

QTEST_MAIN(ErrorsTest)
#include "errors_test.moc"
