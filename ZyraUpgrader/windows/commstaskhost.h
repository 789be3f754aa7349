// A window's comms worker on a thread of its own for the window's whole
// life, the busy indicator shown while one of its tasks runs, and the way a
// running task is abandoned.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QProgressDialog;
class QThread;
class QWidget;
class ZyraCommsThread;

class CommsTaskHost : public QObject
{
    Q_OBJECT

public:
    // The progress dialog becomes a window-modal child of owner.
    explicit CommsTaskHost(QWidget *owner);
    // Asks the running task to stop, gives it 5 s, then stops its thread
    // forcibly and waits for it.
    ~CommsTaskHost() override;

    ZyraCommsThread *worker() const { return comms; }
    QThread *workerThread() const { return thread; }
    QProgressDialog *progressDialog() const { return progress; }

    // Shows the progress dialog with its Cancel button, then starts the task.
    void startTask(int action, const QString &title, const QString &label);
    // startTask with the texts of a task that reads from or prepares the unit.
    void startConnectingTask(int action);
    void closeProgress();
    // Abandons the running task: no report will come for it. Waits in steps
    // of 500 ms; stops the thread forcibly after 5 s and, every 15 s from
    // 14.5 s on, offers to quit the application.
    void cancelTask();

    // The one box every failed task ends in.
    static void showConnectionError(QWidget *parent);

    // How cancelTask waits between looks at the thread: by default a local
    // event loop for the given milliseconds. Tests count the waits instead.
    using Pause = std::function<void(int ms)>;
    static void setPause(Pause pause);

signals:
    // A task's report, only while the task is still awaited (not cancelled).
    void reported(int action, int status);

private slots:
    void takeReport(int action, int status);

private:
    void showProgress(const QString &title, const QString &label);
    void stopThreadForcibly();
    bool userWantsToQuit();

    QWidget *window;
    QThread *thread;
    ZyraCommsThread *comms;
    QProgressDialog *progress;
    bool awaitingReport = false;
};
