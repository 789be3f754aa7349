#pragma once

#include <QDialog>

class CommsTaskHost;

// A pairing window that runs comms tasks: the progress dialog while one
// runs, its Cancel, and the connection-error box for every failed task.
// A task that succeeds is handed to taskSucceeded.
class CommsTaskDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CommsTaskDialog(QWidget *parent = nullptr);
    ~CommsTaskDialog() override;

protected:
    // Shows "Attempting to Connect to Zyra Device..." and starts the task.
    void startConnectingTask(int action);
    virtual void taskSucceeded(int action) = 0;
    // Hides the window and emits gotoNextScreen(screen).
    void leaveTo(int screen);

    CommsTaskHost *comms;

signals:
    void gotoNextScreen(int screen);

private slots:
    void zyraCommsThreadSlot(int s32TaskAction, int s32TaskStatus);
    void cancelZyraComms();
};
