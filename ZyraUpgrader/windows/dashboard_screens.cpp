// The dashboard's three screens: the instructions, the update and the error
// layout, and the buttons the unit's connection state enables.
#include "dashboard.h"

#include <QDebug>
#include <QLabel>
#include <QPixmap>

#include <algorithm>
#include <initializer_list>

#include "dashboard_shared.h"
#include "devicetypes.h"
#include "highdpi.h"
#include "ui_dashboard.h"

using namespace dashboard;

void DashBoard::loadLayoutPictures()
{
    updatePicture = highdpi::picture(":/myresources/Images/thumbs-up.png");
    errorPicture = highdpi::picture(":/myresources/Images/warning.png");
}

void DashBoard::showInstructionsLayout()
{
    setFixedSize(960, 550);
    const QString picture =
        recoveryMode ? DeviceTypes::recoveryPicture(deviceType) : DeviceTypes::updatePicture(deviceType);
    ui->label_2->setPixmap(highdpi::picture(picture));

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
    setFixedSize(updateLayoutSize);
    ui->label_2->setPixmap(updatePicture);
    ui->statusLabel->setGeometry(statusLineGeometry);

    const bool videoModule = DeviceTypes::hasVideoModule(deviceType);
    ui->APPFWLabel->setVisible(videoModule);
    ui->APPVersionInfo->setVisible(videoModule);
    ui->NewFWLabel->show();
    ui->NewFWLabelInfo->show();
    ui->ready2beginLabel->show();
    hideAll({ui->progressBar, ui->statusLabel, ui->waitingLabel, ui->errorLabel, ui->reconnectPushButton,
             ui->contactLabel, ui->nextPushButton, ui->scanningLabel, ui->scanninImageLabel});
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
    ui->label_2->setPixmap(errorPicture);

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

// The success text and its notes run to several lines: below "Done", across
// the window, which grows to hold them all.
void DashBoard::showSuccessText(const QString &text)
{
    constexpr int margin = 20;
    QLabel *label = ui->statusLabel;
    label->setText(text);
    label->ensurePolished();
    const int top = ui->doneButton->geometry().bottom() + 1 + margin / 2;
    const int textWidth = updateLayoutSize.width() - 2 * margin;
    const int textHeight = label->heightForWidth(textWidth);
    label->setGeometry(margin, top, textWidth, textHeight);
    label->show();
    setFixedSize(updateLayoutSize.width(), std::max(updateLayoutSize.height(), top + textHeight + margin / 2));
}

// What the instructions and error layouts both hide.
void DashBoard::hideStatusWidgets()
{
    hideAll({ui->APPFWLabel, ui->APPVersionInfo, ui->NewFWLabel, ui->NewFWLabelInfo, ui->ready2beginLabel,
             ui->progressBar, ui->statusLabel, ui->waitingLabel, ui->recFanControlButton, ui->noFanControlButton,
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
    for (QWidget *button :
         std::initializer_list<QWidget *>{ui->recFanControlButton, ui->noFanControlButton, ui->tempRecFanControlButton})
        button->setEnabled(enable);
}
