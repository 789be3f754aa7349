// The dashboard's runs of the worker: detection, update and recovery, each
// on a thread of its own, its steps handed over one after the other.
#include "dashboard.h"

#include <QDebug>
#include <QMovie>

#include "dashboard_shared.h"
#include "devicetypes.h"
#include "ui_dashboard.h"
#include "updaterthread.h"
#include "workererrors.h"
#include "workerexit.h"

using namespace dashboard;

namespace {

// Amount a run without a video-module stage starts from.
constexpr int videoModuleStageProgress = 1000;

// Failed dfu-programmer runs come without an error code of their own.
constexpr int noErrorCode = -1;

}  // namespace

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
    settingNotes.clear();
    updateZYRA();
}

void DashBoard::disconnectDevice()
{
    vx_zyra_disconnect(&deviceHandle);
    connectionStatus = statusDisconnected;
}

void DashBoard::createRun(RunKind kind)
{
    currentRunKind = kind;
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
        connect(currentWorker, SIGNAL(settingNotKept(QString)), this, SLOT(noteSettingNotKept(QString)));
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
    if (vx_zyra_disconnect(&deviceHandle) != VX_ZYRA_OK)
        qWarning() << "DISCONNECT AFTER UPDATE FAILED:" << handleMessage();

    QStringList report{"ZYRA firmware update successful!"};
    if (DeviceTypes::isTransmitter(deviceType))
        report << "NOTE: You may need to re-pair this transmitter with paired receivers.";
    ui->statusLabel->setText((report + settingNotes).join('\n'));
    settingNotes.clear();

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

void DashBoard::noteSettingNotKept(QString note)
{
    qWarning() << "SETTING NOT KEPT:" << note;
    settingNotes << note;
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
    if (errorCode == workererrors::radio2UnitGone) {
        // The unit has left the bus: its handle is useless, only marked closed.
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

void DashBoard::startRecoveryMode(int unitStatus)
{
    if (unitStatus != workererrors::recoveryUnitUnreachable) {
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
