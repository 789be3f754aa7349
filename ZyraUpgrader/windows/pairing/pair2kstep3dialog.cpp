#include "pair2kstep3dialog.h"

#include <QMessageBox>

#include "commstaskhost.h"
#include "highdpi.h"
#include "screens.h"
#include "transmissionmode.h"
#include "ui_pair2kstep3dialog.h"
#include "zyracommsthread.h"

Pair2KStep3Dialog::Pair2KStep3Dialog(QWidget *parent) : CommsTaskDialog(parent), ui(new Ui::Pair2KStep3Dialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/sdi_2k_rx_pairing_s2.png"));
}

Pair2KStep3Dialog::~Pair2KStep3Dialog()
{
    delete ui;
}

void Pair2KStep3Dialog::on_cancelButton_clicked()
{
    leaveTo(Screen::DeviceSelection);
}

void Pair2KStep3Dialog::on_okButton_clicked()
{
    comms->worker()->transmissionMode = transmissionmode::broadcast;
    startConnectingTask(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART);
}

void Pair2KStep3Dialog::taskSucceeded(int action)
{
    if (action != ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART)
        return;
    QMessageBox::information(this, "ZYRA Transmisson Mode Settings", "Settings Changed Successfully!");
    leaveTo(Screen::DeviceSelection);
}
