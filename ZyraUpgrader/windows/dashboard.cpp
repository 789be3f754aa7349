// The dashboard's construction and the navigation between the dialogs it
// owns; its screens are in dashboard_screens.cpp, the runs of the worker in
// dashboard_run.cpp.
#include "dashboard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QMessageBox>
#include <QTextStream>

#include <initializer_list>

#include "aboutdialog.h"
#include "dashboard_shared.h"
#include "devicetypes.h"
#include "firmwarepackage.h"
#include "instructionsdialog.h"
#include "pairing/pair2kstep1dialog.h"
#include "pairing/pair2kstep3dialog.h"
#include "pairing/pairdialog.h"
#include "screens.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"
#include "ui_dashboard.h"
#include "unitpickerdialog.h"

using namespace dashboard;

namespace {

const Qt::WindowFlags plainWindowFlags = Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

QString readTrimmed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream stream(&file);
    return stream.readAll().trimmed();
}

}  // namespace

DashBoard::DashBoard(QWidget *parent) : QMainWindow(parent), ui(new Ui::DashBoard)
{
    connectionStatus = statusDisconnected;
    ui->setupUi(this);
    statusLineGeometry = ui->statusLabel->geometry();

    txRxDialog = new TxRxDialog;
    pairDialog = new PairDialog;
    instructionsDialog = new InstructionsDialog;
    modeSelection = new modeSelectionDialog;
    aboutDialog = new AboutDialog;
    pair2KStep1Dialog = new Pair2KStep1Dialog;
    pair2KStep3Dialog = new Pair2KStep3Dialog;
    unitPicker = new UnitPickerDialog(this);
    for (QWidget *dialog : std::initializer_list<QWidget *>{txRxDialog, pairDialog, instructionsDialog, aboutDialog,
                                                            pair2KStep1Dialog, pair2KStep3Dialog})
        dialog->setWindowFlags(plainWindowFlags);

    setAppVersion();
    // The about box keeps the package read at start-up; the labels of an
    // update follow the chosen type's package.
    aboutVersion = QString("%1.%2").arg(xmegaVersion, appVersion);
    loadLayoutPictures();

    ui->noFanControlButton->hide();
    ui->tempRecFanControlButton->hide();
    ui->fanControlLabel->hide();

    ui->progressBar->setMinimum(0);
    ui->progressBar->setMaximum(progressMaximum);
    ui->progressBar->setValue(0);

    errorCount = 0;
    recoveryMode = false;
    fanControlMode = 2;

    connect(modeSelection, SIGNAL(signalShowDashBoardAboutBox()), this, SLOT(showAboutBox()));
    connect(txRxDialog, SIGNAL(signalShowDashBoardAboutBox()), this, SLOT(showAboutBox()));
    connect(instructionsDialog, SIGNAL(back()), this, SLOT(showModeSelectionDialog()));
    connect(modeSelection, SIGNAL(gotoNextScreen(int)), this, SLOT(selectMode(int)));
    connect(pairDialog, SIGNAL(gotoNextScreen(int)), this, SLOT(selectMode(int)));
    connect(pair2KStep1Dialog, SIGNAL(gotoBack()), this, SLOT(showModeSelectionDialog()));
    connect(pair2KStep1Dialog, SIGNAL(gotoNextScreen(int)), this, SLOT(selectMode(int)));
    connect(pair2KStep3Dialog, SIGNAL(gotoNextScreen(int)), this, SLOT(selectMode(int)));
    connect(txRxDialog, SIGNAL(deviceTypeSelected(int)), this, SLOT(initDeviceType(int)));
    connect(ui->backPushButton, SIGNAL(clicked()), this, SLOT(showModeSelectionDialog()));
    connect(ui->nextPushButton, SIGNAL(clicked()), this, SLOT(detectDevice()));
    connect(unitPicker, &UnitPickerDialog::picked, this, &DashBoard::detectUnit);
    connect(unitPicker, &UnitPickerDialog::cancelled, this, &DashBoard::unitNotPicked);
    connect(ui->doneButton, SIGNAL(clicked()), this, SLOT(quit()));
    ui->doneButton->hide();
    connect(ui->noFanControlButton, SIGNAL(clicked()), this, SLOT(updateWithNoFanControl()));
    connect(ui->recFanControlButton, SIGNAL(clicked()), this, SLOT(updateWithRecFanControl()));
    connect(ui->tempRecFanControlButton, SIGNAL(clicked()), this, SLOT(updateWithTempRecFanControl()));

    showInstructionsLayout();
    back2TxRxDialog();
}

DashBoard::~DashBoard()
{
    abandonRunOnExit();
    delete ui;
    delete txRxDialog;
    delete instructionsDialog;
    delete modeSelection;
    delete aboutDialog;
    delete pairDialog;
    delete pair2KStep1Dialog;
    delete pair2KStep3Dialog;
}

void DashBoard::closeEvent(QCloseEvent *event)
{
    if (runInProgress()) {
        // A detection changes nothing on the unit; only a run that writes to
        // it can leave it needing the recovery procedure.
        const char *const question =
            updateRun->detecting()
                ? "The unit is being detected.\n\nDo you want to quit anyway?"
                : "An update is in progress. If you quit now, the unit may need the recovery procedure.\n\n"
                  "Do you want to quit anyway?";
        const auto answer =
            QMessageBox::question(this, "ZYRA Utility", question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

// ---- start-up and navigation ------------------------------------------------

// The versions the chosen type's package installs: a 2K unit's are those of "firmware2k".
void DashBoard::setAppVersion()
{
    const FirmwarePackage package(deviceType);
    const QString xmegaPath = package.nativePath("XMEGA_VERSION");
    const QString appPath = package.nativePath("VERSION");
    xmegaVersion = readTrimmed(xmegaPath);
    appVersion = readTrimmed(appPath);
    if (!QFile::exists(xmegaPath))
        ui->NewFWLabelInfo->setText("FILE NOT FOUND");
    else
        ui->NewFWLabelInfo->setText(QString("v%1").arg(xmegaVersion));
    qDebug() << QString("updateVersion %1").arg(xmegaVersion);
}

void DashBoard::initDeviceType(int type)
{
    recoveryMode = false;
    deviceType = type;
    setAppVersion();
    instructionsDialog->deviceType = type;
    instructionsDialog->loadInstructions();
    modeSelection->setDeviceType(type);
    pairDialog->deviceType = type;
    pairDialog->loadPairingImage();
    // A recovery left unfinished on the previous unit must not carry over to this one.
    leadOnlyTo(ui->nextPushButton, SLOT(detectDevice()));
    showModeSelectionDialog();
}

void DashBoard::selectMode(int mode)
{
    switch (mode) {
    case Screen::Pairing:
        showPairWindow();
        break;
    case Screen::Update:
        showInstructionsLayout();
        show();
        break;
    case Screen::ModeSelection:
        showModeSelectionDialog();
        break;
    case Screen::DeviceSelection:
        back2TxRxDialog();
        break;
    case Screen::Pair2KStep1:
        hide();
        pair2KStep1Dialog->show();
        break;
    case Screen::Pair2KStep3:
        hide();
        pair2KStep3Dialog->show();
        break;
    default:
        break;
    }
}

void DashBoard::showPairWindow()
{
    hide();
    // Only a 2K receiver's pairing reads it, after its first step.
    pairDialog->savedTxMode = pair2KStep1Dialog->savedTxMode;
    pairDialog->startOver();
    pairDialog->show();
}

void DashBoard::showModeSelectionDialog()
{
    if (connectionStatus == statusConnected) {
        qDebug() << "disconnecting from device";
        disconnectDevice();
    }
    hide();
    modeSelection->show();
}

void DashBoard::back2TxRxDialog()
{
    hide();
    ui->doneButton->hide();
    txRxDialog->show();
}

void DashBoard::showInstructionsDialog()
{
    hide();
    instructionsDialog->show();
}

void DashBoard::showAboutBox()
{
    aboutDialog->setVersion(aboutVersion);
    aboutDialog->exec();
}

void DashBoard::quit()
{
    // "No" to the close question keeps the program running.
    if (close())
        QCoreApplication::quit();
}

void DashBoard::leadOnlyTo(QObject *button, const char *slot)
{
    disconnect(button, SIGNAL(clicked()), this, nullptr);
    connect(button, SIGNAL(clicked()), this, slot);
}
