// Every screen of the program saved as a PNG (build artifacts for a look by
// eye), each checked to be a real picture with its text drawn.
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "aboutdialog.h"
#include "flowdriver.h"
#include "guitest.h"
#include "highdpi.h"
#include "instructionsdialog.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"
#include "workspace.h"

using guitest::FlowDriver;
using guitest::Workspace;

class ScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectionWindows();
    void updateScreens();
    void successScreenFitsEveryText_data();
    void successScreenFitsEveryText();
    void errorScreens();
    void recoveryScreen();
    void everyWindowFitsTheScreen();

private:
    // Saves the window as <name>.png and checks it.
    void shoot(QWidget *window, const QString &name, QWidget *textWidget);
    void shootMain(const QString &name, const char *textWidget);

    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<FlowDriver> flow;
};

void ScreensTest::init()
{
    workspace = std::make_unique<Workspace>();
    QVERIFY(workspace->isValid());
    flow = std::make_unique<FlowDriver>();
}

void ScreensTest::cleanup()
{
    flow.reset();
    workspace.reset();
}

void ScreensTest::shoot(QWidget *window, const QString &name, QWidget *textWidget)
{
    QVERIFY2(window && textWidget, qPrintable(name));
    const QImage shot = guitest::saveScreenshot(window, name);
    QVERIFY2(!guitest::isBlank(shot), qPrintable(name + " is blank"));
    QVERIFY2(textWidget->isVisible() || !window->isVisible(), qPrintable(name + ": text widget hidden"));
    QVERIFY2(guitest::textIsDrawn(window, textWidget),
             qPrintable(name + ": no text drawn in " + textWidget->objectName()));
}

void ScreensTest::shootMain(const QString &name, const char *textWidget)
{
    shoot(flow->window(), name, flow->widget<QWidget>(textWidget));
}

void ScreensTest::selectionWindows()
{
    flow->openUpdate(5);
    auto *selection = guitest::topLevel<TxRxDialog>();
    shoot(selection, "01-device-selection", selection->findChild<QLabel *>("label_2"));

    auto *modes = guitest::topLevel<modeSelectionDialog>();
    shoot(modes, "02-mode-selection-2k-rx", modes->findChild<QPushButton *>("transmissionModeButton"));

    flow->click("backPushButton");
    flow->backToDeviceSelection();
    guitest::ModalAnswerer ok("OK");
    QTest::mouseClick(selection->findChild<QPushButton *>("aboutPushButton"), Qt::LeftButton);
    QVERIFY(ok.answered());
    auto *about = guitest::topLevel<AboutDialog>();
    shoot(about, "03-about-box", about->findChild<QLabel *>("utilityVersionLabel"));

    auto *instructions = guitest::topLevel<InstructionsDialog>();
    shoot(instructions, "04-recovery-instructions-dialog", instructions->findChild<QPushButton *>("nextButton"));
}

void ScreensTest::updateScreens()
{
    workspace->prepareUnit(3);
    flow->openUpdate(3);
    shootMain("05-instructions-sdi-rx", "nextPushButton");

    flow->click("nextPushButton");
    shootMain("06-detecting", "scanningLabel");
    // The busy indicator is drawn for the screen, as sharp as the pictures.
    const QPixmap spinner = flow->widget<QLabel>("scanninImageLabel")->pixmap(Qt::ReturnByValue);
    QCOMPARE(spinner.size(), QSize(28, 28) * qApp->devicePixelRatio());
    QCOMPARE(spinner.devicePixelRatio(), qApp->devicePixelRatio());
    QVERIFY(flow->waitForRest());
    shootMain("07-update-layout-fan-choice", "fanControlLabel");

    flow->click("tempRecFanControlButton");
    shootMain("08-updating", "statusLabel");
    QVERIFY(flow->waitForRest());
    QVERIFY2(flow->shown("doneButton"), "the update should succeed");
    shootMain("09-success", "statusLabel");
}

void ScreensTest::successScreenFitsEveryText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("notes");
    const QString fanControl = "NOTE: The fan control setting could not be written to the Video Module.";
    const QString transmissionMode = "NOTE: The transmission mode could not be written back to the device.";
    for (int type : {1, 3}) {
        const QString unit = type == 1 ? "transmitter" : "receiver";
        QTest::newRow(qPrintable(unit)) << type << QStringList();
        QTest::newRow(qPrintable(unit + ", fan control")) << type << QStringList{fanControl};
        QTest::newRow(qPrintable(unit + ", transmission mode")) << type << QStringList{transmissionMode};
        QTest::newRow(qPrintable(unit + ", both")) << type << QStringList{fanControl, transmissionMode};
    }
}

// Every text the success screen can hold, whole and clear of the buttons,
// in the face the machine has for "Arial" (the run names it).
void ScreensTest::successScreenFitsEveryText()
{
    QFETCH(int, type);
    QFETCH(QStringList, notes);
    flow->openUpdate(type);
    QWidget *window = flow->window();
    QVERIFY(QMetaObject::invokeMethod(window, "showUpdateLayout"));
    for (const QString &note : notes)
        QVERIFY(QMetaObject::invokeMethod(window, "noteSettingNotKept", Q_ARG(QString, note)));
    QVERIFY(QMetaObject::invokeMethod(window, "storageUpdated"));

    QStringList texts{"ZYRA firmware update successful!"};
    if (type == 1)
        texts << "NOTE: You may need to re-pair this transmitter with paired receivers.";
    QCOMPARE(flow->text("statusLabel"), (texts + notes).join('\n'));
    const QString face = qEnvironmentVariable("ZYRA_TEST_FACE");
    if (!face.isEmpty())
        QCOMPARE(QFontInfo(flow->widget<QLabel>("statusLabel")->font()).family(), face);
    const QStringList faults = guitest::layoutFaults(window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    QVERIFY2(window->height() <= 660, qPrintable(QString("%1 px high").arg(window->height())));
    shootMain(QString("09-success-%1").arg(QTest::currentDataTag()).replace(", ", "-").replace(' ', '-'),
              "statusLabel");
}

void ScreensTest::errorScreens()
{
    workspace->prepareUnit(1);
    QVERIFY(workspace->removeFile("utils/dfu-programmer"));
    flow->openUpdate(1);
    QVERIFY(flow->next());
    shootMain("10-error", "errorLabel");
    for (int retry = 0; retry < 3; ++retry) {
        flow->click("reconnectPushButton");
        QVERIFY(flow->next());
    }
    shootMain("11-error-contact", "contactLabel");
}

void ScreensTest::recoveryScreen()
{
    workspace->prepareUnit(4, false);
    flow->openUpdate(4);
    QVERIFY(flow->next());
    QVERIFY(flow->clickIfEnabled("recFanControlButton"));
    QVERIFY(flow->waitForRest());
    shootMain("12-recovery-instructions-2k-tx", "nextPushButton");
}

// Every window of the program as the screen's scale factor shows it (a run
// sets QT_SCALE_FACTOR=2): with its title bar and a panel within a logical
// 1280x720 screen, its texts whole and apart, its pictures as sharp as the
// screen.
void ScreensTest::everyWindowFitsTheScreen()
{
    constexpr int titleAndPanel = 80;
    flow->openUpdate(3);
    const qreal ratio = qApp->devicePixelRatio();
    int windows = 0;
    for (QWidget *window : QApplication::allWidgets()) {
        const QString name = window->metaObject()->className();
        if (!window->isWindow() || name.startsWith('Q'))
            continue;
        ++windows;
        // Laid out as the user sees it.
        const bool wasShown = window->isVisible();
        window->show();
        QCoreApplication::processEvents();
        QVERIFY2(window->width() <= 1280 && window->height() + titleAndPanel <= 720,
                 qPrintable(QString("%1 is %2x%3").arg(name).arg(window->width()).arg(window->height())));
        const QStringList faults = guitest::layoutFaults(window);
        QVERIFY2(faults.isEmpty(), qPrintable(name + ": " + faults.join("; ")));
        for (QLabel *label : window->findChildren<QLabel *>()) {
            const QPixmap picture = label->pixmap(Qt::ReturnByValue);
            QVERIFY2(picture.isNull() || picture.devicePixelRatio() == ratio,
                     qPrintable(QString("%1: %2 drawn for %3x").arg(name, label->objectName()).arg(ratio)));
        }
        const QImage shot = guitest::saveScreenshot(window, "window-" + name);
        QCOMPARE(shot.size(), window->size() * ratio);
        window->setVisible(wasShown);
    }
    // The unit pickers of the main window and of the settings among them.
    QCOMPARE(windows, 14);
}

int main(int argc, char *argv[])
{
    // As the program starts, scaled by the screen's factor.
    highdpi::enableScaling();
    QApplication application(argc, argv);
    ScreensTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "screens_test.moc"
