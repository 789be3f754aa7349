#include "commstaskdialog.h"

#include <QCloseEvent>
#include <QProgressDialog>

#include "commstaskhost.h"
#include "workererrors.h"

CommsTaskDialog::CommsTaskDialog(QWidget *parent) : QDialog(parent), comms(new CommsTaskHost(this))
{
    connect(comms, SIGNAL(reported(int, int)), this, SLOT(zyraCommsThreadSlot(int, int)));
    // Queued: the procedure removes the Cancel button whose click starts it.
    connect(comms->progressDialog(), SIGNAL(canceled()), this, SLOT(cancelZyraComms()), Qt::QueuedConnection);
}

CommsTaskDialog::~CommsTaskDialog()
{
    delete comms;
}

void CommsTaskDialog::reject()
{
    if (!comms->busy())
        goBack();
}

void CommsTaskDialog::closeEvent(QCloseEvent *event)
{
    event->setAccepted(!comms->busy());
}

void CommsTaskDialog::startConnectingTask(int action)
{
    comms->startConnectingTask(action);
}

void CommsTaskDialog::leaveTo(int screen)
{
    hide();
    emit gotoNextScreen(screen);
}

void CommsTaskDialog::zyraCommsThreadSlot(int s32TaskAction, int s32TaskStatus)
{
    comms->closeProgress();
    if (s32TaskStatus != workererrors::commsTaskOk) {
        CommsTaskHost::showConnectionError(this);
        return;
    }
    taskSucceeded(s32TaskAction);
}

void CommsTaskDialog::cancelZyraComms()
{
    comms->cancelTask();
}
