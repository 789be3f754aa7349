// The main window as the hub: start-up, routing between the windows, the
// version files and the screens a detection result leads to.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "dashboard.h"
#include "guitest.h"
#include "pairing/pairdialog.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"

using guitest::topLevel;
using guitest::visibleWindowClasses;

class NavigationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startShowsOnlyTheDeviceSelection();
    void deviceChoiceLeadsToModeSelection();
    void updateModeShowsTheInstructionsLayout_data();
    void updateModeShowsTheInstructionsLayout();
    void backPathsReturnToThePreviousWindow();
    void unknownScreenNumbersChangeNothing();
    void pairingOpensAtItsFirstScreenEveryTime();

    void versionFilesReadAtStartUp_data();
    void versionFilesReadAtStartUp();
    void chosenTypeIsToldItsOwnPackagesVersions_data();
    void chosenTypeIsToldItsOwnPackagesVersions();

    void detectedVersionDecidesTheHeadline();
    void sdiReceiverOffersThreeFanControlChoices();
    void otherTypesOfferOneNextButton_data();
    void otherTypesOfferOneNextButton();
    void backFromUpdateLayoutAndUpdateAgainShowsInstructionsWithoutFanChoice();

private:
    void writeVersions(const QString &xmega, const QString &app, const QString &folder = "firmware");
    void startWindow();
    void chooseDeviceAndUpdate(int type);
    template <class T>
    T *widget(const char *name)
    {
        return window->findChild<T *>(name);
    }
    void detected(const QString &version);
    static QString versionLine();

    std::unique_ptr<QTemporaryDir> workDir;
    QString previousDir;
    std::unique_ptr<DashBoard> dashboard;
    QMainWindow *window = nullptr;
};

void NavigationTest::init()
{
    previousDir = QDir::currentPath();
    workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(workDir->isValid());
    QDir::setCurrent(workDir->path());
    QDir().mkpath("firmware");
}

void NavigationTest::cleanup()
{
    dashboard.reset();
    window = nullptr;
    QDir::setCurrent(previousDir);
    workDir.reset();
}

void NavigationTest::writeVersions(const QString &xmega, const QString &app, const QString &folder)
{
    const struct {
        const char *name;
        QString text;
    } files[] = {{"XMEGA_VERSION", xmega}, {"VERSION", app}};
    QDir().mkpath(folder);
    for (const auto &entry : files) {
        if (entry.text.isNull())
            continue;
        QFile file(folder + "/" + entry.name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(entry.text.toUtf8());
    }
}

void NavigationTest::startWindow()
{
    dashboard = std::make_unique<DashBoard>();
    window = dashboard.get();
}

void NavigationTest::chooseDeviceAndUpdate(int type)
{
    const char *buttons[] = {"HDMITXpushButton", "SDITXpushButton",  "HDMIRXpushButton",
                             "SDIRXpushButton",  "TwoKTXpushButton", "TwoKRXpushButton"};
    QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>(buttons[type]), Qt::LeftButton);
    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("updateModeButton"), Qt::LeftButton);
}

void NavigationTest::detected(const QString &version)
{
    QVERIFY(QMetaObject::invokeMethod(window, "deviceDetected", Q_ARG(QString, version)));
}

QString NavigationTest::versionLine()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *label = top->findChild<QLabel *>("utilityVersionLabel"))
            return label->text();
    return QString();
}

void NavigationTest::startShowsOnlyTheDeviceSelection()
{
    startWindow();
    QCOMPARE(visibleWindowClasses(), QStringList{"TxRxDialog"});
}

void NavigationTest::deviceChoiceLeadsToModeSelection()
{
    startWindow();
    QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>("TwoKRXpushButton"), Qt::LeftButton);
    QCOMPARE(visibleWindowClasses(), QStringList{"modeSelectionDialog"});
    QVERIFY2(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("pairModeButton")->isVisible(),
             "the mode selection should be arranged for the 2K receiver");
}

void NavigationTest::updateModeShowsTheInstructionsLayout_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("picture");
    QTest::newRow("HDMI TX") << 0 << ":/myresources/Images/hdmi_tx_update.png";
    QTest::newRow("SDI TX") << 1 << ":/myresources/Images/sdi_tx_update.png";
    QTest::newRow("HDMI RX") << 2 << ":/myresources/Images/hdmi_rx_update.png";
    QTest::newRow("SDI RX") << 3 << ":/myresources/Images/sdi_rx_update.png";
    QTest::newRow("2K TX") << 4 << ":/myresources/Images/sdi_2k_tx_update.png";
    QTest::newRow("2K RX") << 5 << ":/myresources/Images/sdi_2k_rx_update.png";
}

void NavigationTest::updateModeShowsTheInstructionsLayout()
{
    QFETCH(int, type);
    QFETCH(QString, picture);
    startWindow();
    chooseDeviceAndUpdate(type);

    QCOMPARE(visibleWindowClasses(), QStringList{"DashBoard"});
    QCOMPARE(window->size(), QSize(960, 550));
    QCOMPARE(guitest::labelImage(widget<QLabel>("label_2")), guitest::resourceImage(picture));
    for (const char *name : {"nextPushButton", "backPushButton"}) {
        QVERIFY2(widget<QPushButton>(name)->isVisible(), name);
        QVERIFY2(widget<QPushButton>(name)->isEnabled(), name);
    }
    for (const char *name :
         {"recFanControlButton", "noFanControlButton", "tempRecFanControlButton", "fanControlLabel", "progressBar",
          "statusLabel", "doneButton", "errorLabel", "reconnectPushButton", "scanningLabel", "ready2beginLabel"})
        QVERIFY2(!widget<QWidget>(name)->isVisible(), name);
}

void NavigationTest::backPathsReturnToThePreviousWindow()
{
    startWindow();
    chooseDeviceAndUpdate(1);

    QTest::mouseClick(widget<QPushButton>("backPushButton"), Qt::LeftButton);
    QCOMPARE(visibleWindowClasses(), QStringList{"modeSelectionDialog"});

    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("backButton"), Qt::LeftButton);
    QCOMPARE(visibleWindowClasses(), QStringList{"TxRxDialog"});
}

void NavigationTest::unknownScreenNumbersChangeNothing()
{
    startWindow();
    chooseDeviceAndUpdate(0);
    for (int mode : {3, 7, -1, 100}) {
        QVERIFY(QMetaObject::invokeMethod(window, "selectMode", Q_ARG(int, mode)));
        QCOMPARE(visibleWindowClasses(), QStringList{"DashBoard"});
        QCOMPARE(window->size(), QSize(960, 550));
    }
}

// The next pairing after Finish offered Finish again, which left without
// pairing (and on a 2K receiver asked the broadcast question).
void NavigationTest::pairingOpensAtItsFirstScreenEveryTime()
{
    startWindow();
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>("HDMIRXpushButton"), Qt::LeftButton);
        QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("pairModeButton"), Qt::LeftButton);
        auto *pairing = topLevel<PairDialog>();
        QCOMPARE(visibleWindowClasses(), QStringList{"PairDialog"});
        QVERIFY2(pairing->findChild<QPushButton *>("connectButton")->isEnabled(), "Pair ZYRA is offered");
        QVERIFY2(!pairing->findChild<QPushButton *>("doneButton")->isVisible(), "no Finish before a pairing");
        QVERIFY(QMetaObject::invokeMethod(pairing, "finishedPairing"));
        QTest::mouseClick(pairing->findChild<QPushButton *>("doneButton"), Qt::LeftButton);
        QCOMPARE(visibleWindowClasses(), QStringList{"TxRxDialog"});
    }
}

void NavigationTest::versionFilesReadAtStartUp_data()
{
    QTest::addColumn<QString>("xmega");
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("newVersion");
    QTest::addColumn<QString>("aboutLine");
    QTest::newRow("both, trimmed") << " 1.4\n"
                                   << QString(" 2.0.7 \n") << "v1.4" << QString("ZYRA UTILITY Version 1.4.2.0.7");
    QTest::newRow("no XMEGA_VERSION") << QString() << "2.0.7" << QString("FILE NOT FOUND")
                                      << "ZYRA UTILITY Version .2.0.7";
    // Two empty parts joined by the point.
    QTest::newRow("neither") << QString() << QString() << "FILE NOT FOUND" << QString("ZYRA UTILITY Version .");
}

void NavigationTest::versionFilesReadAtStartUp()
{
    QFETCH(QString, xmega);
    QFETCH(QString, app);
    QFETCH(QString, newVersion);
    QFETCH(QString, aboutLine);
    writeVersions(xmega, app);
    startWindow();
    QCOMPARE(widget<QLabel>("NewFWLabelInfo")->text(), newVersion);
    guitest::ModalAnswerer ok("OK");
    QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>("aboutPushButton"), Qt::LeftButton);
    QVERIFY(ok.answered());
    QCOMPARE(versionLine(), aboutLine);
    QVERIFY2(topLevel<TxRxDialog>()->isVisible(), "the device selection stays behind the about box");
}

void NavigationTest::chosenTypeIsToldItsOwnPackagesVersions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("newVersion");
    QTest::addColumn<QString>("aboutLine");
    QTest::newRow("SDI TX, firmware") << 1 << "v1.4"
                                      << "ZYRA UTILITY Version 1.4.2.0.7";
    // The about box keeps the package read at start-up.
    QTest::newRow("2K TX, firmware2k") << 4 << "v2.4"
                                       << "ZYRA UTILITY Version 1.4.2.0.7";
}

void NavigationTest::chosenTypeIsToldItsOwnPackagesVersions()
{
    QFETCH(int, type);
    QFETCH(QString, newVersion);
    QFETCH(QString, aboutLine);
    writeVersions("1.4", "2.0.7");
    writeVersions("2.4", "3.1.0", "firmware2k");
    startWindow();
    chooseDeviceAndUpdate(type);

    QCOMPARE(widget<QLabel>("NewFWLabelInfo")->text(), newVersion);
    detected(newVersion);
    QCOMPARE(widget<QLabel>("ready2beginLabel")->text(), QString("Your ZYRA firmware is up-to-date"));
    guitest::ModalAnswerer ok("OK");
    QVERIFY(QMetaObject::invokeMethod(window, "showAboutBox"));
    QVERIFY(ok.answered());
    QCOMPARE(versionLine(), aboutLine);
}

void NavigationTest::detectedVersionDecidesTheHeadline()
{
    writeVersions("1.4", "2.0.7");
    startWindow();
    chooseDeviceAndUpdate(1);

    detected(" v1.4\n");
    QCOMPARE(widget<QLabel>("ready2beginLabel")->text(), QString("Your ZYRA firmware is up-to-date"));
    QCOMPARE(widget<QLabel>("APPVersionInfo")->text(), QString("v1.4"));
    QVERIFY2(widget<QPushButton>("recFanControlButton")->isEnabled(), "an up-to-date unit can still be updated");

    detected("v1.3");
    QCOMPARE(widget<QLabel>("ready2beginLabel")->text(), QString("Click Next to upgrade"));
}

void NavigationTest::sdiReceiverOffersThreeFanControlChoices()
{
    startWindow();
    chooseDeviceAndUpdate(3);
    detected("v1.3");

    QCOMPARE(window->size(), QSize(760, 525));
    QVERIFY(widget<QLabel>("fanControlLabel")->isVisible());
    QCOMPARE(widget<QLabel>("fanControlLabel")->text(), QString("Choose Fan Control mode :"));
    const struct {
        const char *name;
        const char *text;
    } choices[] = {{"noFanControlButton", "None (always on)"},
                   {"recFanControlButton", "Record Flag only"},
                   {"tempRecFanControlButton", "Record Flag && Temperature"}};
    for (const auto &choice : choices) {
        auto *button = widget<QPushButton>(choice.name);
        QVERIFY2(button->isVisible() && button->isEnabled(), choice.name);
        QCOMPARE(button->text(), QString(choice.text));
    }
    QVERIFY(widget<QLabel>("APPFWLabel")->isVisible());
}

void NavigationTest::otherTypesOfferOneNextButton_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("currentVersionRow");
    QTest::newRow("HDMI TX") << 0 << true;
    QTest::newRow("SDI TX") << 1 << true;
    QTest::newRow("HDMI RX") << 2 << false;
    QTest::newRow("2K TX") << 4 << true;
    QTest::newRow("2K RX") << 5 << false;
}

void NavigationTest::otherTypesOfferOneNextButton()
{
    QFETCH(int, type);
    QFETCH(bool, currentVersionRow);
    startWindow();
    chooseDeviceAndUpdate(type);
    detected("v1.3");

    QCOMPARE(widget<QPushButton>("recFanControlButton")->text(), QString("Next"));
    QVERIFY(widget<QPushButton>("recFanControlButton")->isVisible());
    for (const char *name : {"noFanControlButton", "tempRecFanControlButton", "fanControlLabel"})
        QVERIFY2(!widget<QWidget>(name)->isVisible(), name);
    QCOMPARE(widget<QLabel>("APPFWLabel")->isVisible(), currentVersionRow);
    QCOMPARE(widget<QLabel>("APPVersionInfo")->isVisible(), currentVersionRow);
    QVERIFY(widget<QLabel>("NewFWLabel")->isVisible());
}

void NavigationTest::backFromUpdateLayoutAndUpdateAgainShowsInstructionsWithoutFanChoice()
{
    startWindow();
    chooseDeviceAndUpdate(3);
    detected("v1.3");
    QTest::mouseClick(widget<QPushButton>("backPushButton"), Qt::LeftButton);
    QCOMPARE(visibleWindowClasses(), QStringList{"modeSelectionDialog"});

    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("updateModeButton"), Qt::LeftButton);
    QCOMPARE(window->size(), QSize(960, 550));
    for (const char *name : {"noFanControlButton", "recFanControlButton", "tempRecFanControlButton", "fanControlLabel"})
        QVERIFY2(!widget<QWidget>(name)->isVisible(), name);
    QVERIFY(widget<QPushButton>("nextPushButton")->isVisible());
}

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
