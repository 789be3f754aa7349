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

    void licenceIsShownUpToTheFirstNulByte_data();
    void licenceIsShownUpToTheFirstNulByte();
    void versionLineFollowsTheLatestSetVersion();

    void instructionsShowTheRecoveryPictureOfTheType_data();
    void instructionsShowTheRecoveryPictureOfTheType();
    void instructionsButtonsHideAndSignal();

    void modeButtonsAreStackedForTheType_data();
    void modeButtonsAreStackedForTheType();
    void modeButtonsRouteAndHide_data();
    void modeButtonsRouteAndHide();

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
    // Asks for the about box over the selection, which stays.
    QTest::newRow("about") << "aboutPushButton" << -1;
}

void DialogsTest::deviceButtonEmitsItsTypeOnceAndHides()
{
    QFETCH(QString, button);
    QFETCH(int, type);
    TxRxDialog dialog;
    dialog.show();
    QSignalSpy chosen(&dialog, SIGNAL(deviceTypeSelected(int)));
    QSignalSpy about(&dialog, SIGNAL(signalShowDashBoardAboutBox()));

    auto *pushButton = dialog.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    QTest::mouseClick(pushButton, Qt::LeftButton);

    const bool choice = type >= 0;
    QCOMPARE(chosen.count(), choice ? 1 : 0);
    if (choice)
        QCOMPARE(chosen.at(0).at(0).toInt(), type);
    QCOMPARE(about.count(), choice ? 0 : 1);
    QVERIFY2(dialog.isVisible() != choice, "only a device choice hides the selection window");
}

void DialogsTest::licenceIsShownUpToTheFirstNulByte_data()
{
    QTest::addColumn<QByteArray>("licence");
    QTest::addColumn<QString>("shown");
    QTest::newRow("NUL inside") << QByteArray("Use it kindly.\nSecond line\0hidden tail", 38)
                                << "Use it kindly.\nSecond line";
    // Where the licence was looked for.
    QTest::newRow("missing") << QByteArray() << QCoreApplication::applicationDirPath();
}

void DialogsTest::licenceIsShownUpToTheFirstNulByte()
{
    QFETCH(QByteArray, licence);
    QFETCH(QString, shown);
    QFile file(licencePath());
    file.remove();
    if (!licence.isNull()) {
        QDir().mkpath(QFileInfo(licencePath()).absolutePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(licence);
        file.close();
    }
    AboutDialog dialog;
    file.remove();
    QCOMPARE(dialog.findChild<QTextBrowser *>("textBrowser")->toPlainText(), shown);
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

void DialogsTest::modeButtonsRouteAndHide_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("screen");
    QTest::newRow("HDMI RX, pair") << 2 << "pairModeButton" << 0;
    QTest::newRow("SDI RX, pair") << 3 << "pairModeButton" << 0;
    QTest::newRow("2K RX, pair: its first 2K step") << 5 << "pairModeButton" << 5;
    QTest::newRow("SDI TX, update") << 1 << "updateModeButton" << 1;
    QTest::newRow("SDI TX, back: device selection") << 1 << "backButton" << 4;
}

void DialogsTest::modeButtonsRouteAndHide()
{
    QFETCH(int, type);
    QFETCH(QString, button);
    QFETCH(int, screen);
    modeSelectionDialog dialog;
    dialog.setDeviceType(type);
    dialog.show();
    QSignalSpy next(&dialog, SIGNAL(gotoNextScreen(int)));

    QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);

    QCOMPARE(next.count(), 1);
    QCOMPARE(next.at(0).at(0).toInt(), screen);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
