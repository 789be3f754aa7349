// The small windows on their own: device choice, about box, recovery
// instructions and the mode selection's arrangement and routing.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>

#include "aboutdialog.h"
#include "guitest.h"
#include "instructionsdialog.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"
#include "vx_zyra_version.h"

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void deviceButtonEmitsItsTypeOnceAndHides_data();
    void deviceButtonEmitsItsTypeOnceAndHides();
    void aboutButtonAsksForTheAboutBoxAndStaysVisible();

    void licenceIsShownUpToTheFirstNulByte();
    void missingLicenceShowsTheProgramFolder();
    void versionLineFollowsTheLatestSetVersion();

    void instructionsShowTheRecoveryPictureOfTheType_data();
    void instructionsShowTheRecoveryPictureOfTheType();
    void instructionsButtonsHideAndSignal();

    void modeButtonsAreStackedForTheType_data();
    void modeButtonsAreStackedForTheType();
    void pairingRoutesTo2KStepsOnlyFor2KReceiver_data();
    void pairingRoutesTo2KStepsOnlyFor2KReceiver();
    void updateAndBackRouteAndHide();

private:
    static QString licencePath();
};

QString DialogsTest::licencePath()
{
    return QCoreApplication::applicationDirPath() + "/../licenses/LICENSE.TXT";
}

void DialogsTest::deviceButtonEmitsItsTypeOnceAndHides_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("type");
    QTest::newRow("HDMI TX") << "HDMITXpushButton" << 0;
    QTest::newRow("SDI TX") << "SDITXpushButton" << 1;
    QTest::newRow("HDMI RX") << "HDMIRXpushButton" << 2;
    QTest::newRow("SDI RX") << "SDIRXpushButton" << 3;
    QTest::newRow("2K TX") << "TwoKTXpushButton" << 4;
    QTest::newRow("2K RX") << "TwoKRXpushButton" << 5;
}

void DialogsTest::deviceButtonEmitsItsTypeOnceAndHides()
{
    QFETCH(QString, button);
    QFETCH(int, type);
    TxRxDialog dialog;
    dialog.show();
    QSignalSpy chosen(&dialog, SIGNAL(deviceTypeSelected(int)));

    auto *pushButton = dialog.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    QTest::mouseClick(pushButton, Qt::LeftButton);

    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toInt(), type);
    QVERIFY2(!dialog.isVisible(), "the device choice should hide the selection window");
}

void DialogsTest::aboutButtonAsksForTheAboutBoxAndStaysVisible()
{
    TxRxDialog dialog;
    dialog.show();
    QSignalSpy about(&dialog, SIGNAL(signalShowDashBoardAboutBox()));
    QSignalSpy chosen(&dialog, SIGNAL(deviceTypeSelected(int)));

    QTest::mouseClick(dialog.findChild<QPushButton *>("aboutPushButton"), Qt::LeftButton);

    QCOMPARE(about.count(), 1);
    QCOMPARE(chosen.count(), 0);
    QVERIFY(dialog.isVisible());
}

void DialogsTest::licenceIsShownUpToTheFirstNulByte()
{
    QDir().mkpath(QFileInfo(licencePath()).absolutePath());
    QFile licence(licencePath());
    QVERIFY(licence.open(QIODevice::WriteOnly));
    licence.write(QByteArray("Use it kindly.\nSecond line", 26) + QByteArray(1, '\0') + "hidden tail");
    licence.close();

    AboutDialog dialog;
    licence.remove();

    const QString shown = dialog.findChild<QTextBrowser *>("textBrowser")->toPlainText();
    QCOMPARE(shown, QString("Use it kindly.\nSecond line"));
}

void DialogsTest::missingLicenceShowsTheProgramFolder()
{
    QFile::remove(licencePath());
    AboutDialog dialog;
    QCOMPARE(dialog.findChild<QTextBrowser *>("textBrowser")->toPlainText(), QCoreApplication::applicationDirPath());
}

void DialogsTest::versionLineFollowsTheLatestSetVersion()
{
    AboutDialog dialog;
    auto *label = dialog.findChild<QLabel *>("utilityVersionLabel");
    dialog.setVersion("1.4.2.9");
    dialog.setVersion("2.0.3.1");
    QCOMPARE(label->text(), QString("ZYRA UTILITY Version 2.0.3.1"));
    // The program's own version, the one of zyra --version, on the line below.
    auto *program = dialog.findChild<QLabel *>("programVersionLabel");
    QVERIFY(program);
    QCOMPARE(program->text(), QString("Program version " VX_ZYRA_VERSION_STRING));
    auto *layout = dialog.findChild<QLayout *>("verticalLayout");
    QVERIFY(layout);
    QCOMPARE(layout->indexOf(program), layout->indexOf(label) + 1);
}

void DialogsTest::instructionsShowTheRecoveryPictureOfTheType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("picture");
    QTest::newRow("HDMI TX") << 0 << ":/myresources/Images/hdmi_tx_recovery.png";
    QTest::newRow("SDI TX") << 1 << ":/myresources/Images/sdi_tx_recovery.png";
    QTest::newRow("HDMI RX") << 2 << ":/myresources/Images/hdmi_rx_recovery.png";
    QTest::newRow("SDI RX") << 3 << ":/myresources/Images/sdi_rx_recovery.png";
    QTest::newRow("2K TX") << 4 << ":/myresources/Images/sdi_2k_tx_recovery.png";
    QTest::newRow("2K RX") << 5 << ":/myresources/Images/sdi_2k_rx_recovery.png";
}

void DialogsTest::instructionsShowTheRecoveryPictureOfTheType()
{
    QFETCH(int, type);
    QFETCH(QString, picture);
    const QImage expected = guitest::resourceImage(picture);
    QVERIFY2(!expected.isNull(), qPrintable("picture resource missing: " + picture));

    InstructionsDialog dialog;
    dialog.deviceType = type;
    dialog.loadInstructions();
    QCOMPARE(guitest::labelImage(dialog.findChild<QLabel *>("label")), expected);
}

void DialogsTest::instructionsButtonsHideAndSignal()
{
    InstructionsDialog dialog;
    QSignalSpy next(&dialog, SIGNAL(next()));
    QSignalSpy back(&dialog, SIGNAL(back()));

    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("nextButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QVERIFY(!dialog.isVisible());

    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("backButton"), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QCOMPARE(next.count(), 1);
    QVERIFY(!dialog.isVisible());
}

void DialogsTest::modeButtonsAreStackedForTheType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("optionalShown");
    QTest::addColumn<int>("groupHeight");
    const QStringList none;
    QTest::newRow("HDMI TX") << 0 << none << 88;
    QTest::newRow("SDI TX") << 1 << none << 88;
    QTest::newRow("HDMI RX") << 2 << QStringList{"pairModeButton"} << 121;
    QTest::newRow("SDI RX") << 3 << QStringList{"pairModeButton"} << 121;
    QTest::newRow("2K TX") << 4 << QStringList{"configFreqChannelsButton", "transmissionModeButton"} << 154;
    QTest::newRow("2K RX") << 5 << QStringList{"configFreqChannelsButton", "transmissionModeButton", "pairModeButton"}
                           << 187;
}

void DialogsTest::modeButtonsAreStackedForTheType()
{
    QFETCH(int, type);
    QFETCH(QStringList, optionalShown);
    QFETCH(int, groupHeight);

    modeSelectionDialog dialog;
    auto *group = dialog.findChild<QGroupBox *>("groupBox");
    const QRect groupBefore = group->geometry();
    // A previous unit type must leave no trace: arrange for the fullest first.
    dialog.setDeviceType(5);
    dialog.setDeviceType(type);
    dialog.show();

    for (const char *always : {"updateModeButton", "configModeButton"})
        QVERIFY2(dialog.findChild<QPushButton *>(always)->isVisible(), always);
    const QStringList optional{"configFreqChannelsButton", "transmissionModeButton", "pairModeButton"};
    for (const QString &name : optional) {
        auto *button = dialog.findChild<QPushButton *>(name);
        const int row = optionalShown.indexOf(name);
        QCOMPARE(button->isVisible(), row >= 0);
        if (row >= 0)
            QCOMPARE(button->y(), 77 + 33 * row);
    }
    QCOMPARE(group->height(), groupHeight);
    QCOMPARE(group->pos(), groupBefore.topLeft());
    QCOMPARE(group->width(), groupBefore.width());
}

void DialogsTest::pairingRoutesTo2KStepsOnlyFor2KReceiver_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("screen");
    QTest::newRow("HDMI RX") << 2 << 0;
    QTest::newRow("SDI RX") << 3 << 0;
    QTest::newRow("2K RX") << 5 << 5;
}

void DialogsTest::pairingRoutesTo2KStepsOnlyFor2KReceiver()
{
    QFETCH(int, type);
    QFETCH(int, screen);
    modeSelectionDialog dialog;
    dialog.setDeviceType(type);
    dialog.show();
    QSignalSpy next(&dialog, SIGNAL(gotoNextScreen(int)));

    dialog.gotoPairMode();

    QCOMPARE(next.count(), 1);
    QCOMPARE(next.at(0).at(0).toInt(), screen);
    QVERIFY(!dialog.isVisible());
}

void DialogsTest::updateAndBackRouteAndHide()
{
    modeSelectionDialog dialog;
    dialog.setDeviceType(1);
    QSignalSpy next(&dialog, SIGNAL(gotoNextScreen(int)));

    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("updateModeButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("backButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());

    QCOMPARE(next.count(), 2);
    QCOMPARE(next.at(0).at(0).toInt(), 1);
    QCOMPARE(next.at(1).at(0).toInt(), 4);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
