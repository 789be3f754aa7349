// Whole updates through the program's windows: the worker, the library, the
// stand-in dfu-programmer and the virtual unit are real, time is virtual.
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include <memory>

#include "flowdriver.h"
#include "guitest.h"
#include "package_images.h"
#include "unitpickerdialog.h"
#include "workspace.h"
#include "zyra_sim/bus.h"

using guitest::FlowDriver;
using guitest::Workspace;

namespace {

const QString txSuccess =
    "ZYRA firmware update successful!\nNOTE: You may need to re-pair this transmitter with paired receivers.";
const QString rxSuccess = "ZYRA firmware update successful!";

samplepackage::Description packageOf(int type)
{
    const std::string directory = type == 4 || type == 5 ? "firmware2k" : "firmware";
    for (const auto &package : samplepackage::samplePackages())
        if (package.directory == directory)
            return package;
    return {};
}

QString versionText(const std::array<uint8_t, 3> &version)
{
    return QString("%1.%2.%3").arg(version[0]).arg(version[1]).arg(version[2]);
}

}  // namespace

class UpdateFlowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullUpdateEndsInSuccess_data();
    void fullUpdateEndsInSuccess();
    void busyGuiAtEveryHandOverChangesNothing();
    void pickedUnitIsTheOneUpdated_data();
    void pickedUnitIsTheOneUpdated();

private:
    // Detection from the instructions layout, then the start button.
    void detectAndStart(int type);

    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<FlowDriver> flow;
};

void UpdateFlowTest::init()
{
    workspace = std::make_unique<Workspace>();
    QVERIFY(workspace->isValid());
    flow = std::make_unique<FlowDriver>();
}

void UpdateFlowTest::cleanup()
{
    flow.reset();
    workspace.reset();
}

void UpdateFlowTest::detectAndStart(int type)
{
    flow->openUpdate(type);
    flow->click("nextPushButton");
    QVERIFY2(flow->waitForRest(), "detection should end");
    QVERIFY2(flow->shown("recFanControlButton"), qPrintable("no update layout; error: " + flow->text("errorLabel")));
    flow->forgetRecord();
    flow->click("recFanControlButton");
    if (type == 2 || type == 5)
        QCOMPARE(flow->widget<QProgressBar>("progressBar")->value(), 1000);
    QCOMPARE(flow->text("ready2beginLabel"), QString("Upgrade in progress..."));
    QVERIFY2(!flow->widget<QPushButton>("backPushButton")->isEnabled(), "Back must be locked during the run");
    QVERIFY2(flow->waitForRest(), "the update should end");
}

void UpdateFlowTest::fullUpdateEndsInSuccess_data()
{
    QTest::addColumn<int>("type");
    // A flasher that checks the EEPROM against the EEPROM (0.6.1 checks it
    // against the flash and fails) writes the fan control without a note.
    QTest::addColumn<bool>("eepromReadBack");
    QTest::newRow("HDMI TX") << 0 << false;
    QTest::newRow("SDI TX") << 1 << false;
    QTest::newRow("HDMI RX") << 2 << false;
    QTest::newRow("SDI RX") << 3 << false;
    QTest::newRow("2K TX") << 4 << false;
    QTest::newRow("2K RX") << 5 << false;
    QTest::newRow("SDI RX, flasher reading the EEPROM back") << 3 << true;
}

void UpdateFlowTest::fullUpdateEndsInSuccess()
{
    QFETCH(int, type);
    QFETCH(bool, eepromReadBack);
    const bool videoModule = type != 2 && type != 5;
    const bool transmitter = type == 0 || type == 1 || type == 4;
    auto unit = workspace->prepareUnit(type);
    const samplepackage::Description package = packageOf(type);
    if (eepromReadBack)
        workspace->xmega().setEepromReadBack(true);

    detectAndStart(type);

    // No fan-control note whether or not the flasher's own EEPROM check works.
    const QString success = transmitter ? txSuccess : rxSuccess;
    QStringList expected{"Updating Radio 1 of 2", "Updating Radio 2 of 2", "Updating device configuration ", success};
    if (videoModule)
        expected.prepend("Updating Video Module");
    QCOMPARE(flow->statuses(), expected);
    QCOMPARE(flow->text("statusLabel"), success);
    // The unit's return after its video module started takes longer than a
    // sign of life's interval: shown below the status line, which stays.
    if (videoModule)
        QVERIFY2(flow->signsOfLife().contains("Still working: waiting for the unit to come back, 5 s"),
                 qPrintable(flow->signsOfLife().join(" | ")));
    QVERIFY(!flow->shown("waitingLabel"));
    QCOMPARE(flow->text("ready2beginLabel"), QString("Your ZYRA firmware is up-to-date"));
    QVERIFY(flow->barValues().contains(11062));
    QCOMPARE(flow->text("recFanControlButton"), QString("Done"));
    QVERIFY(flow->shown("doneButton"));
    QVERIFY(flow->shown("reconnectPushButton"));
    QCOMPARE(flow->text("reconnectPushButton"), QString("Update Next"));
    QVERIFY(!flow->shown("progressBar"));
    QVERIFY(!flow->shown("NewFWLabelInfo"));
    QCOMPARE(flow->shown("APPVersionInfo"), videoModule);
    // The version texts come from the type's own package.
    QCOMPARE(flow->text("APPVersionInfo"), QString("v%1").arg(QString::fromStdString(package.xmegaVersion)));

    QCOMPARE(versionText(unit->appVersion()), versionText(package.applicationVersion));
    if (videoModule) {
        const std::vector<uint8_t> flash = workspace->xmega().flash();
        const QByteArray marker = "FWv" + QByteArray::fromStdString(package.xmegaVersion);
        QVERIFY2(QByteArray(reinterpret_cast<const char *>(flash.data()) + samplepackage::xmegaVersionAddress,
                            marker.size()) == marker,
                 "the video module should run the package's image");
    }
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void UpdateFlowTest::busyGuiAtEveryHandOverChangesNothing()
{
    // With the GUI thread late at every report, steps end long before the
    // window has handled the one before: the order must still hold.
    const int type = 4;
    workspace->prepareUnit(type);
    detectAndStart(type);
    const QStringList calmStatuses = flow->statuses();
    const QVector<int> calmValues = flow->barValues();
    const int calmRestarts = zyra_sim::Bus::instance().unit()->restartCount();
    flow.reset();
    workspace.reset();

    workspace = std::make_unique<Workspace>();
    auto unit = workspace->prepareUnit(type);
    flow = std::make_unique<FlowDriver>();
    flow->onBarValue = [](int) { QThread::msleep(20); };
    detectAndStart(type);

    QCOMPARE(flow->statuses(), calmStatuses);
    QCOMPARE(flow->barValues(), calmValues);
    QCOMPARE(unit->restartCount(), calmRestarts);
}

void UpdateFlowTest::pickedUnitIsTheOneUpdated_data()
{
    QTest::addColumn<bool>("twoUnits");
    QTest::newRow("one unit, no list") << false;
    QTest::newRow("two units, the second picked") << true;
}

// The unit listed first is the one a run without a choice would open.
void UpdateFlowTest::pickedUnitIsTheOneUpdated()
{
    QFETCH(bool, twoUnits);
    const int type = 2;
    auto first = workspace->prepareUnit(type);
    auto second = std::make_shared<zyra_sim::VirtualUnit>(2);
    if (twoUnits)
        zyra_sim::Bus::instance().attachAnother(second, "1-2");
    const auto before = first->appVersion();
    flow->openUpdate(type);
    flow->click("nextPushButton");

    auto *picker = flow->window()->findChild<UnitPickerDialog *>();
    // The list, or with one unit the detection's end.
    QVERIFY(QTest::qWaitFor([&] { return picker->isVisible() || flow->shown("recFanControlButton"); }, 20000));
    QCOMPARE(picker->isVisible(), twoUnits);
    if (twoUnits) {
        auto *list = picker->findChild<QListWidget *>("unitList");
        QCOMPARE(list->count(), 2);
        QVERIFY2(list->item(1)->text().startsWith("1-2.1, rx, serial "), qPrintable(list->item(1)->text()));
        list->setCurrentRow(1);
        picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    }
    QVERIFY(flow->waitForRest());
    flow->click("recFanControlButton");
    QVERIFY(flow->waitForRest());

    QCOMPARE(flow->text("statusLabel"), rxSuccess);
    const auto &updated = twoUnits ? second : first;
    QCOMPARE(versionText(updated->appVersion()), versionText(packageOf(type).applicationVersion));
    if (twoUnits) {
        QCOMPARE(first->restartCount(), 0);
        QCOMPARE(versionText(first->appVersion()), versionText(before));
    }
}

QTEST_MAIN(UpdateFlowTest)
#include "updateflow_test.moc"
