// The mode selection's settings round trips end to end: read from a
// virtual unit, edit in the dialog as a user would, write back, and the
// unit's stored bytes afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "commstaskhost.h"
#include "settings/configfreqchannelsdialog.h"
#include "settings/configtransmissionmodedialog.h"
#include "settings/configuration.h"
#include "settings/modeselectiondialog.h"
#include "settingstest.h"
#include "unitpickerdialog.h"
#include "zyra_sim/bus.h"
#include "zyracommsthread.h"

using namespace settingstest;
using Bytes = zyra_sim::Bytes;

namespace {

const QString settingsChanged =
    "Settings Changed Successfully! You will need to reboot Zyra before these changes will take effect.";
const QString connectionError = "ZYRA Connection Error: Error - cannot connect to the ZYRA Device! Please check "
                                "that it is connected and powered on.";

void click(modeSelectionDialog &window, const char *button)
{
    QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);
}

QProgressDialog *progressOf(modeSelectionDialog &window)
{
    return window.findChild<QProgressDialog *>();
}

template <class Dialog>
void pressOk(QWidget *dialog)
{
    QTest::mouseClick(static_cast<Dialog *>(dialog)->template findChild<QPushButton *>("applyButton"), Qt::LeftButton);
}

// The progress dialog's flags while a task runs: a dialog with a title and
// a close button, nothing more (Qt adds the system menu on its own).
bool runningFlags(QProgressDialog *progress)
{
    const Qt::WindowFlags hints = Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint;
    const Qt::WindowFlags flags = progress->windowFlags();
    return (flags & Qt::WindowType_Mask) == Qt::Dialog && flags.testFlag(Qt::WindowTitleHint) &&
           flags.testFlag(Qt::WindowCloseButtonHint) && !(flags & hints);
}

QCheckBox *checkBoxAt(QWidget *dialog, int row)
{
    return dialog->findChild<QTableWidget *>("FreqTable")->cellWidget(row, 2)->findChild<QCheckBox *>();
}

}  // namespace

class RoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void progressWhileReadingAsksForTheConnection();
    void progressWhileWritingTellsOfStoring();
    void progressDialogNeverShowsByItself();

    void regionOn2KUnitWritesTheChosenCode();
    void regionGoesToThePickedUnit();
    void unchangedRegionOnHdmiUnitWritesNothingButConfirms();
    void cancelledEditWritesNothing();
    void transmissionModeOfReceiverGoesToItsCell();
    void frequencyChoiceIsStoredAsTheExclusionList();
    void frequencyWriteFailsWhenTheRegionChangedMeanwhile();
    void failedReadShowsTheConnectionError_data();
    void failedReadShowsTheConnectionError();
    void licenceLinkOfTheRegionDialogAsksForTheAboutBox();
};

void RoundTripTest::cleanup()
{
    emptyBus();
}

void RoundTripTest::progressWhileReadingAsksForTheConnection()
{
    auto unit = attachUnit(1);
    auto window = openModeSelection(4);
    CommandGate gate;
    gate.install(*unit, code::storageGet);
    ModalScript script;
    script.expect("Configuration", [](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });

    click(*window, "configModeButton");
    QTRY_VERIFY(gate.reached());
    QProgressDialog *progress = progressOf(*window);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->windowTitle(), QString("ZYRA Connection Status"));
    QCOMPARE(progress->labelText(), QString("Attempting to Connect to Zyra Device..."));
    QCOMPARE(progress->windowModality(), Qt::WindowModal);
    QVERIFY(runningFlags(progress));
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 0);
    QVERIFY(!progress->findChild<QProgressBar *>()->isTextVisible());
    auto *cancel = progress->findChild<QPushButton *>();
    QVERIFY(cancel && cancel->text() == "Cancel");

    gate.release();
    QTRY_VERIFY(script.finished());
    QVERIFY(!progress->isVisible());
}

void RoundTripTest::progressWhileWritingTellsOfStoring()
{
    auto unit = attachUnit(1);
    auto window = openModeSelection(4);
    CommandGate gate;
    gate.install(*unit, code::storageSet);
    ModalScript script;
    script.expect("Configuration", [](QWidget *dialog) {
        dialog->findChild<QComboBox *>("countryComboBox")->setCurrentIndex(1);
        pressOk<Configuration>(dialog);
    });
    script.answerBox("OK");

    click(*window, "configModeButton");
    QTRY_VERIFY(gate.reached());
    QProgressDialog *progress = progressOf(*window);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->windowTitle(), QString("ZYRA Settings"));
    QCOMPARE(progress->labelText(), QString("Attempting to store settings to the Zyra Device..."));
    QVERIFY(runningFlags(progress));
    QCOMPARE(progress->findChild<QPushButton *>()->text(), QString("Cancel"));

    gate.release();
    QTRY_VERIFY(script.finished());
    QCOMPARE(script.boxes(), QStringList{"ZYRA Region Settings: " + settingsChanged});
    QCOMPARE(unit->storage(1), Bytes{3});
}

void RoundTripTest::progressDialogNeverShowsByItself()
{
    auto window = openModeSelection(4);
    QProgressDialog *progress = progressOf(*window);
    QVERIFY(!progress->isVisible());
    for (QTimer *timer : progress->findChildren<QTimer *>())
        QVERIFY2(!timer->isActive(), "no timer may show the progress dialog without a task");
}

void RoundTripTest::regionOn2KUnitWritesTheChosenCode()
{
    auto unit = attachUnit(1);
    unit->setStorage(1, {8});
    auto window = openModeSelection(4);
    QString shownBefore;
    ModalScript script;
    script.expect("Configuration", [&](QWidget *dialog) {
        auto *country = dialog->findChild<QComboBox *>("countryComboBox");
        auto *placement = dialog->findChild<QComboBox *>("indoorComboBox");
        shownBefore = country->currentText() + " " + placement->currentText();
        QVERIFY(placement->isEnabled());
        country->setCurrentIndex(2);
        placement->setCurrentIndex(0);
        pressOk<Configuration>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "configModeButton", script));
    QCOMPARE(shownBefore, QString("Europe Outdoors"));
    QCOMPARE(script.boxes(), QStringList{"ZYRA Region Settings: " + settingsChanged});
    QCOMPARE(unit->storage(1), Bytes{2});
    QVERIFY(!progressOf(*window)->isVisible());
    QVERIFY(script.unexpected().isEmpty());
}

// The unit listed second picked: the read and the write go to it alone.
void RoundTripTest::regionGoesToThePickedUnit()
{
    auto first = attachUnit(1);
    first->setStorage(1, {9});
    auto picked = std::make_shared<zyra_sim::VirtualUnit>(1);
    picked->setStorage(1, {8});
    zyra_sim::Bus::instance().attachAnother(picked, "1-2");
    auto window = openModeSelection(4);
    ModalScript script;
    script.expect("UnitPickerDialog", [](QWidget *dialog) {
        dialog->findChild<QListWidget *>("unitList")->setCurrentRow(1);
        static_cast<QDialog *>(dialog)->accept();
    });
    QString shownBefore;
    script.expect("Configuration", [&](QWidget *dialog) {
        shownBefore = dialog->findChild<QComboBox *>("countryComboBox")->currentText();
        dialog->findChild<QComboBox *>("countryComboBox")->setCurrentIndex(2);
        dialog->findChild<QComboBox *>("indoorComboBox")->setCurrentIndex(0);
        pressOk<Configuration>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "configModeButton", script));
    QCOMPARE(shownBefore, QString("Europe"));
    QCOMPARE(picked->storage(1), Bytes{2});
    QCOMPARE(first->storage(1), Bytes{9});
}

void RoundTripTest::unchangedRegionOnHdmiUnitWritesNothingButConfirms()
{
    auto unit = attachUnit(1);
    unit->setStorage(1, {9});
    auto window = openModeSelection(0);
    bool placementEnabled = true;
    QString placementShown;
    ModalScript script;
    script.expect("Configuration", [&](QWidget *dialog) {
        auto *placement = dialog->findChild<QComboBox *>("indoorComboBox");
        placementEnabled = placement->isEnabled();
        placementShown = placement->currentText();
        pressOk<Configuration>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "configModeButton", script));
    QVERIFY(!placementEnabled);
    QCOMPARE(placementShown, QString("Outdoors"));
    QCOMPARE(script.boxes(), QStringList{"ZYRA Region Settings: " + settingsChanged});
    QVERIFY2(storageSetIds(*unit).empty(), "the region equal to the stored one is not written");
    QCOMPARE(unit->storage(1), Bytes{9});
}

void RoundTripTest::cancelledEditWritesNothing()
{
    auto unit = attachUnit(2);
    auto window = openModeSelection(5);
    ModalScript script;
    script.expect("configTransmissionModeDialog", [](QWidget *dialog) {
        dialog->findChild<QComboBox *>("transmissionModeComboBox")->setCurrentIndex(1);
        QTest::mouseClick(dialog->findChild<QPushButton *>("closeButton"), Qt::LeftButton);
    });

    QVERIFY(runRoundTrip(*window, "transmissionModeButton", script));
    QVERIFY2(!progressOf(*window)->isVisible(), "no write task follows a cancelled edit");
    QCOMPARE(storageGetCount(*unit, 7), 2);
    QVERIFY(storageSetIds(*unit).empty());
    QTest::qWait(20);
    QVERIFY(script.unexpected().isEmpty());
}

void RoundTripTest::transmissionModeOfReceiverGoesToItsCell()
{
    auto unit = attachUnit(2);
    auto window = openModeSelection(5);
    QString shownBefore;
    ModalScript script;
    script.expect("configTransmissionModeDialog", [&](QWidget *dialog) {
        auto *combo = dialog->findChild<QComboBox *>("transmissionModeComboBox");
        shownBefore = combo->currentText();
        QTest::keyClick(combo, Qt::Key_Down);
        pressOk<configTransmissionModeDialog>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "transmissionModeButton", script));
    QCOMPARE(shownBefore, QString("Unicast"));
    QCOMPARE(script.boxes(), QStringList{"ZYRA Transmisson Mode Settings: " + settingsChanged});
    QCOMPARE(unit->storage(7), Bytes{2});
    QVERIFY2(!unit->storage(8).has_value(), "a receiver has no transmitter mode cell");
}

void RoundTripTest::frequencyChoiceIsStoredAsTheExclusionList()
{
    auto unit = attachUnit(1);  // stores 5670 MHz switched off
    auto window = openModeSelection(4);
    QStringList offBefore;
    ModalScript script;
    script.expect("ConfigFreqChannelsDialog", [&](QWidget *dialog) {
        auto *table = dialog->findChild<QTableWidget *>("FreqTable");
        for (int row = 0; row < table->rowCount(); ++row)
            if (!checkBoxAt(dialog, row)->isChecked())
                offBefore << table->item(row, 0)->text();
        QTest::mouseClick(checkBoxAt(dialog, 0), Qt::LeftButton);
        pressOk<ConfigFreqChannelsDialog>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "configFreqChannelsButton", script));
    QCOMPARE(offBefore, QStringList{"5670 MHz"});
    QCOMPARE(script.boxes(), QStringList{"ZYRA Frequency Selection Settings: " + settingsChanged});
    Bytes expected(28, 0);
    expected[0] = 0x38;
    expected[1] = 0x3C;
    expected[2] = 0x98;
    expected[3] = 0x9C;
    QCOMPARE(unit->storage(127), expected);
}

void RoundTripTest::frequencyWriteFailsWhenTheRegionChangedMeanwhile()
{
    auto unit = attachUnit(2);
    const auto before = unit->storage(118);
    auto window = openModeSelection(5);
    ModalScript script;
    script.expect("ConfigFreqChannelsDialog", [&](QWidget *dialog) {
        unit->setStorage(1, {3});  // another program changed the region while the list was edited
        QTest::mouseClick(checkBoxAt(dialog, 0), Qt::LeftButton);
        pressOk<ConfigFreqChannelsDialog>(dialog);
    });
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, "configFreqChannelsButton", script));
    QCOMPARE(script.boxes(), QStringList{connectionError});
    QCOMPARE(unit->storage(118), before);
}

void RoundTripTest::failedReadShowsTheConnectionError_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("region") << "configModeButton";
    QTest::newRow("frequencies") << "configFreqChannelsButton";
    QTest::newRow("transmission mode") << "transmissionModeButton";
}

void RoundTripTest::failedReadShowsTheConnectionError()
{
    QFETCH(QString, button);
    emptyBus();
    auto window = openModeSelection(5);
    ModalScript script;
    script.answerBox("OK");

    QVERIFY(runRoundTrip(*window, qPrintable(button), script));
    QCOMPARE(script.boxes(), QStringList{connectionError});
    QVERIFY(!progressOf(*window)->isVisible());
    QTest::qWait(20);
    QVERIFY2(script.unexpected().isEmpty(), "no settings dialog follows a failed read");
}

void RoundTripTest::licenceLinkOfTheRegionDialogAsksForTheAboutBox()
{
    auto window = openModeSelection(4);
    QSignalSpy about(window.get(), SIGNAL(signalShowDashBoardAboutBox()));
    auto *region = window->findChild<Configuration *>();
    QVERIFY(region);
    QMetaObject::invokeMethod(region->findChild<QLabel *>("warningLabel"), "linkActivated", Q_ARG(QString, "license"));
    QCOMPARE(about.count(), 1);
}

QTEST_MAIN(RoundTripTest)
#include "roundtrips_test.moc"
