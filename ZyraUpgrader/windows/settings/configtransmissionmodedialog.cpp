#include "configtransmissionmodedialog.h"

#include "highdpi.h"
#include "transmissionmode.h"
#include "ui_configtransmissionmodedialog.h"

namespace {

const int unicastIndex = 0;
const int broadcastIndex = 1;

}  // namespace

configTransmissionModeDialog::configTransmissionModeDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::configTransmissionModeDialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/zyra_logo.png"));
    showExplanation(ui->transmissionModeComboBox->currentIndex());
}

configTransmissionModeDialog::~configTransmissionModeDialog()
{
    delete ui;
}

void configTransmissionModeDialog::setMode(uint8_t mode)
{
    const int index = mode == transmissionmode::unicast ? unicastIndex : broadcastIndex;
    ui->transmissionModeComboBox->setCurrentIndex(index);
    showExplanation(index);
}

uint8_t configTransmissionModeDialog::mode() const
{
    const bool unicast = ui->transmissionModeComboBox->currentIndex() == unicastIndex;
    return unicast ? transmissionmode::unicast : transmissionmode::broadcast;
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
