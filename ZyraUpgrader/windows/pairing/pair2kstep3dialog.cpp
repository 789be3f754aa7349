#include "pair2kstep3dialog.h"

#include <QMessageBox>

#include "commstaskhost.h"
#include "screens.h"
#include "transmissionmode.h"
#include "ui_pair2kstep3dialog.h"
#include "zyracommsthread.h"

Pair2KStep3Dialog::Pair2KStep3Dialog(QWidget *parent) : CommsTaskDialog(parent), ui(new Ui::Pair2KStep3Dialog)
{
    ui->setupUi(this);
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
