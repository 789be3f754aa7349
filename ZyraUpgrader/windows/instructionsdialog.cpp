#include "instructionsdialog.h"

#include "devicetypes.h"
#include "highdpi.h"
#include "ui_instructionsdialog.h"

InstructionsDialog::InstructionsDialog(QWidget *parent) : QDialog(parent), ui(new Ui::InstructionsDialog)
{
    ui->setupUi(this);
    loadInstructions();
    connect(ui->nextButton, SIGNAL(clicked()), this, SLOT(emitNext()));
    connect(ui->backButton, SIGNAL(clicked()), this, SLOT(emitBack()));
}

InstructionsDialog::~InstructionsDialog()
{
    delete ui;
}

void InstructionsDialog::emitNext()
{
    hide();
    emit next();
}

void InstructionsDialog::emitBack()
{
    hide();
    emit back();
}

void InstructionsDialog::loadInstructions()
{
    ui->label->setPixmap(highdpi::picture(DeviceTypes::recoveryPicture(deviceType)));
}
