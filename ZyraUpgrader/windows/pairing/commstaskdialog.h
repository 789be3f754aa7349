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
    // Escape goes back a step; hiding the window, the only one shown, would
    // end the program.
    void reject() override;
    virtual void goBack() = 0;
    // Closing ends the program as the main window's close does, but never
    // while a task runs (its progress dialog offers Cancel).
    void closeEvent(QCloseEvent *event) override;

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
