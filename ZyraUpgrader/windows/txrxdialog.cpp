#include "txrxdialog.h"

#include "highdpi.h"
#include "ui_txrxdialog.h"

TxRxDialog::TxRxDialog(QWidget *parent) : QDialog(parent), ui(new Ui::TxRxDialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/device_select_all.png"));
    connect(ui->HDMITXpushButton, SIGNAL(clicked()), this, SLOT(HDMITXSelected()));
    connect(ui->HDMIRXpushButton, SIGNAL(clicked()), this, SLOT(HDMIRXSelected()));
    connect(ui->SDITXpushButton, SIGNAL(clicked()), this, SLOT(SDITXSelected()));
    connect(ui->SDIRXpushButton, SIGNAL(clicked()), this, SLOT(SDIRXSelected()));
}

TxRxDialog::~TxRxDialog()
{
    delete ui;
}

void TxRxDialog::HDMITXSelected()
{
    hide();
    emit deviceTypeSelected(0);
}

void TxRxDialog::SDITXSelected()
{
    emitThenHide(1);
}

void TxRxDialog::HDMIRXSelected()
{
    emitThenHide(2);
}

void TxRxDialog::SDIRXSelected()
{
    emitThenHide(3);
}

void TxRxDialog::on_TwoKTXpushButton_clicked()
{
    emitThenHide(4);
}

void TxRxDialog::on_TwoKRXpushButton_clicked()
{
    emitThenHide(5);
}

void TxRxDialog::on_aboutPushButton_clicked()
{
    emit signalShowDashBoardAboutBox();
}

void TxRxDialog::emitThenHide(int type)
{
    emit deviceTypeSelected(type);
    hide();
}
