// The dashboard's runs of the worker (detection, update and recovery, driven
// by UpdateRun) and the window's reactions to their steps.
#include "dashboard.h"

#include <QDebug>
#include <QLabel>

#include "dashboard_shared.h"
#include "devicetypes.h"
#include "spinner.h"
#include "ui_dashboard.h"
#include "unitpickerdialog.h"
#include "updaterun.h"
#include "workererrors.h"

using namespace dashboard;

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

UpdateRun *DashBoard::updateRunner()
{
    if (updateRun)
        return updateRun;
    updateRun = new UpdateRun(&deviceHandle, this);
    // Queued: the window reacts once UpdateRun has ended its hand-over, each
    // report an event of its own as when the worker's signals reached the
    // window directly.
    connect(updateRun, &UpdateRun::stepStarted, ui->statusLabel, &QLabel::setText, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::stepStarted, ui->waitingLabel, &QLabel::clear, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::waiting, this, &DashBoard::showWaiting, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::progressed, this, &DashBoard::progressUpdated, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::detected, this, &DashBoard::deviceDetected, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::failed, this, &DashBoard::errorString, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::recoveryRequested, this, &DashBoard::startRecoveryMode, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::settingNotKept, this, &DashBoard::noteSettingNotKept, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::reconnected, this, &DashBoard::reconnected, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::applicationUpdated, this, &DashBoard::appFWUpdated, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::macUpdated, this, &DashBoard::macFWUpdated, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::applicationReUpdated, this, &DashBoard::appFWReUpdated, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::succeeded, this, &DashBoard::storageUpdated, Qt::QueuedConnection);
    connect(updateRun, &UpdateRun::threadFinished, this, &DashBoard::showThreadFinished, Qt::QueuedConnection);
    return updateRun;
}

// At once, not when the run's first reports arrive.
void DashBoard::showProgressWidgets()
{
    ui->statusLabel->setText(updateRun->currentStep());
    ui->progressBar->setValue(updateRun->progress());
    ui->progressBar->show();
    ui->statusLabel->show();
    ui->waitingLabel->clear();
    ui->waitingLabel->show();
}

bool DashBoard::runInProgress() const
{
    return updateRun && updateRun->inProgress();
}

void DashBoard::abandonRunOnExit()
{
    if (updateRun)
        updateRun->releaseWorkerOnExit("LEAVING WHILE THE UNIT IS STILL BEING UPDATED");
    if (connectionStatus == statusConnected)
        disconnectDevice();
}

void DashBoard::detectDevice()
{
    ui->nextPushButton->setEnabled(false);
    ui->backPushButton->setEnabled(false);
    ui->doneButton->hide();
    connectionStatus = statusConnecting;
    // The detection starts once the unit is known: the user picks it where
    // several are attached.
    unitPicker->pickUnit();

    ui->scanningLabel->show();
    ui->scanninImageLabel->show();
    if (!detectionSpinner)
        detectionSpinner = new Spinner(ui->scanninImageLabel);
    detectionSpinner->start();
    updateScreen();
}

void DashBoard::detectUnit(const QString &port)
{
    updateRunner()->setUnitPort(port);
    updateRunner()->detect(deviceType);
    qDebug() << "Detecting Device" << port;
}

void DashBoard::unitNotPicked()
{
    connectionStatus = statusDisconnected;
    showInstructionsLayout();
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
    ui->doneButton->hide();
    ui->recFanControlButton->setEnabled(false);
    ui->noFanControlButton->setEnabled(false);
    ui->tempRecFanControlButton->setEnabled(false);
    connectionStatus = DeviceTypes::hasVideoModule(deviceType) ? statusConnecting : statusConnected;
    updateRunner()->update(deviceType, fanControlMode);
    showProgressWidgets();
    ui->ready2beginLabel->setText("Upgrade in progress...");
}

void DashBoard::reconnect()
{
    showUpdateLayout();
    ui->backPushButton->setEnabled(false);
    ui->recFanControlButton->setEnabled(false);
    ui->noFanControlButton->setEnabled(false);
    ui->tempRecFanControlButton->setEnabled(false);
    connectionStatus = statusConnecting;
    updateRunner()->recover(deviceType);
    showProgressWidgets();
    ui->ready2beginLabel->setText("Upgrade in progress...");
}

// The window's part in the steps of a run UpdateRun hands over.

void DashBoard::reconnected()
{
    qDebug() << "RECONNECTED TO ZYRA";
    connectionStatus = statusConnected;
}

void DashBoard::appFWUpdated()
{
    qDebug() << "APP FW Succesfully Updated";
}

void DashBoard::macFWUpdated()
{
    qDebug() << "MAC FW Succesfully Updated";
}

void DashBoard::appFWReUpdated()
{
    qDebug() << "Restoring Device";
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
    ui->progressBar->hide();
    ui->waitingLabel->hide();
    showSuccessText((report + settingNotes).join('\n'));
    settingNotes.clear();

    ui->recFanControlButton->setText("Done");
    // "Update Next" takes the place of the one and the way back of the other,
    // and the notes may run down to where Back was.
    hideAll({ui->recFanControlButton, ui->backPushButton, ui->noFanControlButton, ui->tempRecFanControlButton,
             ui->fanControlLabel});
    ui->ready2beginLabel->setText("Your ZYRA firmware is up-to-date");
    leadOnlyTo(ui->recFanControlButton, SLOT(quit()));

    ui->reconnectPushButton->setText("Update Next");
    ui->reconnectPushButton->show();
    leadOnlyTo(ui->reconnectPushButton, SLOT(back2TxRxDialog()));

    errorCount = 0;
    recoveryMode = false;
    fanControlMode = 2;
    leadOnlyTo(ui->nextPushButton, SLOT(detectDevice()));

    connectionStatus = statusDisconnected;
    ui->doneButton->show();
    updateScreen();
}

// Below the step's text, which stays as it is: the program is alive and
// what it waits for.
void DashBoard::showWaiting(QString what, int seconds)
{
    ui->waitingLabel->setText(QString("Still working: waiting for the %1, %2 s").arg(what).arg(seconds));
}

void DashBoard::noteSettingNotKept(QString note)
{
    qWarning() << "SETTING NOT KEPT:" << note;
    settingNotes << note;
}

// progress is the run's total so far. The bar is painted once per turn of
// the event loop, not at every report: a worker far ahead of the window
// delivers dozens at once, each repaint costing the GUI thread about 0.4 ms.
void DashBoard::progressUpdated(int progress)
{
    ui->waitingLabel->clear();
    ui->progressBar->setUpdatesEnabled(false);
    ui->progressBar->setValue(progress);
    ui->progressBar->setUpdatesEnabled(true);
    qDebug() << QString("totalProgress %1").arg(progress);
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
