#include "dashboard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMovie>
#include <QPixmap>
#include <QTextStream>

#include <initializer_list>

#include "aboutdialog.h"
#include "devicetypes.h"
#include "instructionsdialog.h"
#include "pairing/pair2kstep1dialog.h"
#include "pairing/pair2kstep3dialog.h"
#include "pairing/pairdialog.h"
#include "screens.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"
#include "ui_dashboard.h"
#include "updaterthread.h"
#include "workerexit.h"

namespace {

constexpr int statusConnected = 0;
constexpr int statusDisconnected = 1;
constexpr int statusConnecting = 2;

constexpr int progressMaximum = 11062;
// Amount a run without a video-module stage starts from.
constexpr int videoModuleStageProgress = 1000;

// The MAC update's way of saying the unit has left the bus: the handle is
// already useless, so it is only marked closed.
constexpr int unitGoneErrorCode = 336;
// Failed dfu-programmer runs come without an error code of their own.
constexpr int noErrorCode = -1;

const Qt::WindowFlags plainWindowFlags =
    Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

QString readTrimmed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream stream(&file);
    return stream.readAll().trimmed();
}

void hideAll(std::initializer_list<QWidget *> widgets)
{
    for (QWidget *widget : widgets)
        widget->hide();
}

}  // namespace

DashBoard::DashBoard(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::DashBoard)
{
    connectionStatus = statusDisconnected;
    ui->setupUi(this);

    txRxDialog = new TxRxDialog;
    pairDialog = new PairDialog;
    instructionsDialog = new InstructionsDialog;
    modeSelection = new modeSelectionDialog;
    aboutDialog = new AboutDialog;
    pair2KStep1Dialog = new Pair2KStep1Dialog;
    pair2KStep3Dialog = new Pair2KStep3Dialog;
    for (QWidget *dialog : std::initializer_list<QWidget *>{txRxDialog, pairDialog, instructionsDialog, aboutDialog,
                                                            pair2KStep1Dialog, pair2KStep3Dialog})
        dialog->setWindowFlags(plainWindowFlags);

    setAppVersion();

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
        const auto answer = QMessageBox::question(
            this, "ZYRA Utility",
            "An update is in progress. If you quit now, the unit may need the recovery procedure.\n\n"
            "Do you want to quit anyway?",
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

// ---- start-up and navigation ------------------------------------------------

void DashBoard::setAppVersion()
{
    const QDir firmware("firmware");
    const QString xmegaPath = QDir::toNativeSeparators(firmware.absoluteFilePath("XMEGA_VERSION"));
    const QString appPath = QDir::toNativeSeparators(firmware.absoluteFilePath("VERSION"));
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
    aboutDialog->setVersion(QString("%1.%2").arg(xmegaVersion, appVersion));
    aboutDialog->exec();
}

void DashBoard::quit()
{
    close();
    QCoreApplication::quit();
}

// ---- the three screens ------------------------------------------------------

void DashBoard::showInstructionsLayout()
{
    setFixedSize(960, 550);
    const QString picture =
        recoveryMode ? DeviceTypes::recoveryPicture(deviceType) : DeviceTypes::updatePicture(deviceType);
    ui->label_2->setPixmap(QPixmap(picture, "PNG"));

    hideStatusWidgets();
    hideAll({ui->errorLabel, ui->reconnectPushButton});
    ui->backPushButton->show();
    ui->backPushButton->setEnabled(true);
    ui->nextPushButton->show();
    ui->nextPushButton->setEnabled(true);

    ui->nextPushButton->move(820, 490);
    ui->scanninImageLabel->move(450, 475);
    ui->scanningLabel->move(333, 500);
}

void DashBoard::showUpdateLayout()
{
    setFixedSize(760, 525);
    ui->label_2->setPixmap(QPixmap(":/myresources/Images/thumbs-up.png", "PNG"));

    const bool videoModule = DeviceTypes::hasVideoModule(deviceType);
    ui->APPFWLabel->setVisible(videoModule);
    ui->APPVersionInfo->setVisible(videoModule);
    ui->NewFWLabel->show();
    ui->NewFWLabelInfo->show();
    ui->ready2beginLabel->show();
    hideAll({ui->progressBar, ui->statusLabel, ui->errorLabel, ui->reconnectPushButton, ui->contactLabel,
             ui->nextPushButton, ui->scanningLabel, ui->scanninImageLabel});
    ui->recFanControlButton->show();
    ui->recFanControlButton->setText("Next");

    const bool fanChoice = deviceType == DeviceTypes::SdiReceiver;
    ui->noFanControlButton->setVisible(fanChoice);
    ui->tempRecFanControlButton->setVisible(fanChoice);
    ui->fanControlLabel->setVisible(fanChoice);
    if (fanChoice) {
        ui->noFanControlButton->setText("None (always on)");
        ui->recFanControlButton->setText("Record Flag only");
        ui->tempRecFanControlButton->setText("Record Flag && Temperature");
    }

    ui->backPushButton->show();
}

void DashBoard::showErrorLayout()
{
    setFixedSize(760, 450);
    ui->label_2->setPixmap(QPixmap(":/myresources/Images/warning.png", "PNG"));

    hideStatusWidgets();
    hideAll({ui->backPushButton, ui->nextPushButton});
    ui->errorLabel->show();
    ui->reconnectPushButton->show();
    ui->reconnectPushButton->setText("Retry");

    if (errorCount > 3) {
        ui->errorLabel->setText("Device update failed\n\nPlease try again \nor contact Corvane Support");
        ui->contactLabel->setOpenExternalLinks(true);
        ui->contactLabel->show();
        ui->reconnectPushButton->setText("Exit");
        leadOnlyTo(ui->reconnectPushButton, SLOT(quit()));
    }
}

// What the instructions and error layouts both hide.
void DashBoard::hideStatusWidgets()
{
    hideAll({ui->APPFWLabel, ui->APPVersionInfo, ui->NewFWLabel, ui->NewFWLabelInfo, ui->ready2beginLabel,
             ui->progressBar, ui->statusLabel, ui->recFanControlButton, ui->noFanControlButton,
             ui->tempRecFanControlButton, ui->fanControlLabel, ui->contactLabel, ui->scanningLabel,
             ui->scanninImageLabel});
}

void DashBoard::restartUpdater()
{
    showInstructionsLayout();
}

void DashBoard::updateScreen()
{
    qDebug() << "STATUS CHANGED C-0 D-1 CING-2";
    qDebug() << connectionStatus;
    // Types without a video module are updated over the connection detection left open.
    if (connectionStatus == statusConnected && !DeviceTypes::hasVideoModule(deviceType)) {
        ui->recFanControlButton->setEnabled(true);
        return;
    }
    if (connectionStatus != statusConnected && connectionStatus != statusConnecting &&
        connectionStatus != statusDisconnected)
        return;
    const bool enable = connectionStatus == statusDisconnected;
    for (QWidget *button : std::initializer_list<QWidget *>{ui->recFanControlButton, ui->noFanControlButton,
                                                            ui->tempRecFanControlButton})
        button->setEnabled(enable);
}

void DashBoard::updateWithNoFanControl()
{
    startUpdate(0);
}

void DashBoard::updateWithRecFanControl()
{
    startUpdate(1);
}

void DashBoard::updateWithTempRecFanControl()
{
    startUpdate(2);
}

void DashBoard::startUpdate(uint8_t mode)
{
    ui->backPushButton->setEnabled(false);
    fanControlMode = mode;
    updateZYRA();
}

void DashBoard::leadOnlyTo(QObject *button, const char *slot)
{
    disconnect(button, SIGNAL(clicked()), this, nullptr);
    connect(button, SIGNAL(clicked()), this, slot);
}

void DashBoard::disconnectDevice()
{
    vx_zyra_disconnect(&deviceHandle);
    connectionStatus = statusDisconnected;
}

// ---- the update runs ----------------------------------------------------------

void DashBoard::createRun(RunKind kind)
{
    currentThread = new QThread;
    currentWorker = new UpdaterThread(nullptr);
    currentWorker->handle = &deviceHandle;
    currentWorker->deviceType = deviceType;
    if (kind == RunKind::Update) {
        eepromSettings.fan_ctrl_mode = fanControlMode;
        currentWorker->eepromSettings = &eepromSettings;
    }
    if (kind == RunKind::Recovery)
        currentWorker->recoveryMode = recoveryMode;

    connect(currentWorker, SIGNAL(error(QString, int)), this, SLOT(errorString(QString, int)));
    connect(currentWorker, SIGNAL(error(QString, int)), currentThread, SLOT(quit()));
    connect(currentWorker, SIGNAL(error(QString, int)), currentWorker, SLOT(deleteLater()));
    connect(currentThread, SIGNAL(finished()), currentThread, SLOT(deleteLater()));
    connect(currentThread, SIGNAL(finished()), this, SLOT(showThreadFinished()));
    if (kind != RunKind::Detection) {
        connect(currentWorker, SIGNAL(startRecoveryMode(int)), this, SLOT(startRecoveryMode(int)));
        connect(currentWorker, SIGNAL(startRecoveryMode(int)), currentThread, SLOT(quit()));
        connect(currentWorker, SIGNAL(startRecoveryMode(int)), currentWorker, SLOT(deleteLater()));
        connect(currentWorker, SIGNAL(valueChanged(int)), this, SLOT(progressUpdated(int)));
        connect(currentWorker, SIGNAL(dfuProgrammerNotPresent(QString)), this, SLOT(videoModuleFailed(QString)));
        connect(currentWorker, SIGNAL(dfuProgrammerNotPresent(QString)), currentThread, SLOT(quit()));
        connect(currentWorker, SIGNAL(dfuProgrammerNotPresent(QString)), currentWorker, SLOT(deleteLater()));
    }
    currentWorker->moveToThread(currentThread);
}

void DashBoard::startRun(const char *firstStep)
{
    connect(currentThread, SIGNAL(started()), currentWorker, firstStep);
    currentThread->start(QThread::InheritPriority);
}

// The worker's next step is started from here, after finished() has been
// re-wired for it: a step that ends at once can then never reach the links
// of the step before it.
void DashBoard::handOver(const char *doneSlot, const char *nextSlot, const char *nextStep)
{
    disconnect(currentWorker, SIGNAL(finished()), this, doneSlot);
    connect(currentWorker, SIGNAL(finished()), this, nextSlot);
    QMetaObject::invokeMethod(currentWorker, nextStep, Qt::QueuedConnection);
}

void DashBoard::finishRunAfter(const char *doneSlot, const char *lastStep)
{
    connect(currentWorker, SIGNAL(finished()), currentThread, SLOT(quit()));
    connect(currentWorker, SIGNAL(finished()), currentWorker, SLOT(deleteLater()));
    handOver(doneSlot, SLOT(storageUpdated()), lastStep);
}

void DashBoard::showProgress(const QString &status)
{
    ui->statusLabel->setText(status);
    ui->progressBar->setValue(totalProgress);
    ui->progressBar->show();
    ui->statusLabel->show();
}

bool DashBoard::runInProgress() const
{
    return currentThread && currentThread->isRunning();
}

void DashBoard::abandonRunOnExit()
{
    releaseWorkerOnExit(currentThread, currentWorker, "LEAVING WHILE THE UNIT IS STILL BEING UPDATED");
    if (connectionStatus == statusConnected)
        disconnectDevice();
}

void DashBoard::detectDevice()
{
    ui->nextPushButton->setEnabled(false);
    ui->backPushButton->setEnabled(false);
    ui->doneButton->hide();
    connectionStatus = statusConnecting;

    createRun(RunKind::Detection);
    qDebug() << "CREATING DETECT THREAD";
    connect(currentWorker, SIGNAL(detected(QString)), this, SLOT(deviceDetected(QString)));
    connect(currentWorker, SIGNAL(detected(QString)), currentThread, SLOT(quit()));
    connect(currentWorker, SIGNAL(detected(QString)), currentWorker, SLOT(deleteLater()));
    qDebug() << "Detecting Device";

    ui->scanningLabel->show();
    ui->scanninImageLabel->show();
    if (!loadingAnimation) {
        loadingAnimation = new QMovie(":/myresources/Images/loading.gif", QByteArray(), this);
        ui->scanninImageLabel->setMovie(loadingAnimation);
    }
    loadingAnimation->stop();
    loadingAnimation->start();

    startRun(SLOT(detectDevice()));
    updateScreen();
}

void DashBoard::deviceDetected(QString fwVersion)
{
    fwVersion = fwVersion.trimmed();
    connectionStatus = DeviceTypes::hasVideoModule(deviceType) ? statusDisconnected : statusConnected;
    ui->APPVersionInfo->setText(fwVersion);
    if (QString("v%1").arg(xmegaVersion) == fwVersion)
        ui->ready2beginLabel->setText("Your ZYRA firmware is up-to-date");
    else
        ui->ready2beginLabel->setText("Click Next to upgrade");
    leadOnlyTo(ui->recFanControlButton, SLOT(updateWithRecFanControl()));
    ui->backPushButton->setEnabled(true);
    showUpdateLayout();
    updateScreen();
}

void DashBoard::updateZYRA()
{
    totalProgress = 0;
    ui->doneButton->hide();

    createRun(RunKind::Update);
    ui->recFanControlButton->setEnabled(false);
    ui->noFanControlButton->setEnabled(false);
    ui->tempRecFanControlButton->setEnabled(false);
    qDebug() << "CREATING UPDATE THREAD";
    currentWorker->storagePending = true;

    const char *firstStep;
    if (DeviceTypes::hasVideoModule(deviceType)) {
        connectionStatus = statusConnecting;
        firstStep = SLOT(updateZYRA());
        connect(currentWorker, SIGNAL(finished()), this, SLOT(reconnected()));
        qDebug() << "starting with update";
        showProgress("Updating Video Module");
    } else {
        connectionStatus = statusConnected;
        firstStep = SLOT(updateAPPFW());
        connect(currentWorker, SIGNAL(finished()), this, SLOT(appFWUpdated()));
        qDebug() << "starting with update";
        totalProgress = videoModuleStageProgress;
        showProgress("Updating Radio 1 of 2");
    }
    ui->ready2beginLabel->setText("Upgrade in progress...");
    startRun(firstStep);
}

void DashBoard::reconnect()
{
    totalProgress = videoModuleStageProgress;
    showUpdateLayout();

    createRun(RunKind::Recovery);
    ui->backPushButton->setEnabled(false);
    ui->recFanControlButton->setEnabled(false);
    ui->noFanControlButton->setEnabled(false);
    ui->tempRecFanControlButton->setEnabled(false);
    qDebug() << "CREATING RECONNECT THREAD";

    connectionStatus = statusConnecting;
    connect(currentWorker, SIGNAL(finished()), this, SLOT(reconnected()));
    qDebug() << "starting with radio update";
    showProgress("Updating Radio 1 of 2");
    ui->ready2beginLabel->setText("Upgrade in progress...");
    startRun(SLOT(reconnect2Device()));
}

void DashBoard::reconnected()
{
    qDebug() << "RECONNECTED TO ZYRA";
    connectionStatus = statusConnected;
    ui->statusLabel->setText("Updating Radio 1 of 2");
    handOver(SLOT(reconnected()), SLOT(appFWUpdated()), "updateAPPFW");
}

void DashBoard::appFWUpdated()
{
    // A second application step in this run installs the normal image.
    currentWorker->recoveryMode = false;
    qDebug() << "APP FW Succesfully Updated";
    ui->statusLabel->setText("Updating Radio 2 of 2");
    handOver(SLOT(appFWUpdated()), SLOT(macFWUpdated()), "updateMACFW");
}

void DashBoard::macFWUpdated()
{
    qDebug() << "MAC FW Succesfully Updated";
    if (recoveryMode) {
        ui->statusLabel->setText("Restoring Device");
        handOver(SLOT(macFWUpdated()), SLOT(appFWReUpdated()), "updateAPPFW");
    } else {
        ui->statusLabel->setText("Updating device configuration ");
        finishRunAfter(SLOT(macFWUpdated()), "updateStorage");
    }
}

void DashBoard::appFWReUpdated()
{
    qDebug() << "Restoring Device";
    ui->statusLabel->setText("Updating device configuration ");
    finishRunAfter(SLOT(appFWReUpdated()), "updateStorage");
}

void DashBoard::storageUpdated()
{
    ui->NewFWLabel->hide();
    ui->NewFWLabelInfo->hide();
    ui->APPVersionInfo->setText(QString("v%1").arg(xmegaVersion));

    // The update itself succeeded; a unit that will not let go is only worth a note.
    if (vx_zyra_disconnect(&deviceHandle) != 0)
        qWarning() << "DISCONNECT AFTER UPDATE FAILED:" << handleMessage();

    if (DeviceTypes::isTransmitter(deviceType))
        ui->statusLabel->setText("ZYRA firmware update successful!\n"
                                 "NOTE: You may need to re-pair this transmitter with paired receivers.");
    else
        ui->statusLabel->setText("ZYRA firmware update successful!");

    ui->progressBar->hide();
    ui->recFanControlButton->setText("Done");
    hideAll({ui->noFanControlButton, ui->tempRecFanControlButton, ui->fanControlLabel});
    ui->ready2beginLabel->setText("Your ZYRA firmware is up-to-date");
    leadOnlyTo(ui->recFanControlButton, SLOT(quit()));

    ui->reconnectPushButton->setText("Update Next");
    ui->reconnectPushButton->show();
    leadOnlyTo(ui->reconnectPushButton, SLOT(back2TxRxDialog()));

    errorCount = 0;
    recoveryMode = false;
    fanControlMode = 2;
    leadOnlyTo(ui->nextPushButton, SLOT(detectDevice()));

    ui->progressBar->setValue(progressMaximum);
    connectionStatus = statusDisconnected;
    ui->doneButton->show();
    updateScreen();
}

void DashBoard::progressUpdated(int progress)
{
    totalProgress += progress;
    ui->progressBar->setValue(totalProgress);
    qDebug() << "PRINTING UPDATES";
    qDebug() << QString("progress %1").arg(progress);
    qDebug() << QString("totalProgress %1").arg(totalProgress);
}

void DashBoard::errorString(QString err, int errorCode)
{
    qDebug() << handleMessage();
    qDebug() << errorCode;
    ++errorCount;
    if (errorCode == unitGoneErrorCode) {
        connectionStatus = statusDisconnected;
    } else if (connectionStatus == statusConnected) {
        qDebug() << "about to disconnect";
        disconnectDevice();
    }
    updateScreen();
    ui->errorLabel->setText(err);
    leadOnlyTo(ui->reconnectPushButton, SLOT(restartUpdater()));
    showErrorLayout();
}

void DashBoard::videoModuleFailed(QString msg)
{
    errorString(msg, noErrorCode);
}

void DashBoard::startRecoveryMode(int connectionStatus)
{
    if (connectionStatus != 1) {
        disconnectDevice();
        qDebug() << "DISCONNECTED FROM ZYRA";
    }
    updateScreen();
    leadOnlyTo(ui->reconnectPushButton, SLOT(restartUpdater()));
    leadOnlyTo(ui->nextPushButton, SLOT(reconnect()));
    recoveryMode = true;
    ui->fanControlLabel->hide();
    showInstructionsLayout();
}

void DashBoard::showThreadFinished()
{
    qDebug() << "Thread Finished!!!!!";
}

QString DashBoard::handleMessage() const
{
    return QString::fromLatin1(deviceHandle.error_msg, qstrnlen(deviceHandle.error_msg, sizeof deviceHandle.error_msg));
}
