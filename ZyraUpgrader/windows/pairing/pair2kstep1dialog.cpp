#include "pair2kstep1dialog.h"

#include "commstaskhost.h"
#include "highdpi.h"
#include "screens.h"
#include "ui_pair2kstep1dialog.h"
#include "zyracommsthread.h"

Pair2KStep1Dialog::Pair2KStep1Dialog(QWidget *parent) : CommsTaskDialog(parent), ui(new Ui::Pair2KStep1Dialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/sdi_2k_rx_pairing_s1.png"));
}

Pair2KStep1Dialog::~Pair2KStep1Dialog()
{
    delete ui;
}

void Pair2KStep1Dialog::on_backButton_clicked()
{
    hide();
    emit gotoBack();
}

void Pair2KStep1Dialog::on_nextButton_clicked()
{
    startConnectingTask(ZyraCommsThread::TASK_PREPARE_TX_PAIRING);
}

void Pair2KStep1Dialog::taskSucceeded(int action)
{
    if (action != ZyraCommsThread::TASK_PREPARE_TX_PAIRING)
        return;
    savedTxMode = comms->worker()->transmissionMode;
    leaveTo(Screen::Pairing);
}
