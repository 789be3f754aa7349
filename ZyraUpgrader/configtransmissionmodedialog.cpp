#include "configtransmissionmodedialog.h"

#include "ui_configtransmissionmodedialog.h"

namespace {

const uint8_t unicast = 4;
const uint8_t broadcast = 2;
const int unicastIndex = 0;
const int broadcastIndex = 1;

} // namespace

configTransmissionModeDialog::configTransmissionModeDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::configTransmissionModeDialog)
{
    ui->setupUi(this);
    showExplanation(ui->transmissionModeComboBox->currentIndex());
}

configTransmissionModeDialog::~configTransmissionModeDialog()
{
    delete ui;
}

void configTransmissionModeDialog::setMode(uint8_t mode)
{
    const int index = mode == unicast ? unicastIndex : broadcastIndex;
    ui->transmissionModeComboBox->setCurrentIndex(index);
    showExplanation(index);
}

uint8_t configTransmissionModeDialog::mode() const
{
    return ui->transmissionModeComboBox->currentIndex() == unicastIndex ? unicast : broadcast;
}

void configTransmissionModeDialog::on_applyButton_clicked()
{
    accept();
}

void configTransmissionModeDialog::on_closeButton_clicked()
{
    reject();
}

void configTransmissionModeDialog::on_transmissionModeComboBox_activated(int index)
{
    showExplanation(index);
}

void configTransmissionModeDialog::showExplanation(int index)
{
    ui->unicastWarningLabel->setVisible(index == unicastIndex);
    ui->broadcastWarningLabel->setVisible(index != unicastIndex);
}
