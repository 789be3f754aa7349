// A window's comms worker on a thread of its own for the window's whole
// life, the busy indicator shown while one of its tasks runs, and the way a
// running task is abandoned.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

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
    // Asks the running task to stop and gives it 5 s; a task still running
    // then, or left behind by a cancel, is released the way the program's
    // exit releases its worker.
    ~CommsTaskHost() override;

    ZyraCommsThread *worker() const { return comms; }
    QThread *workerThread() const { return thread; }
    QProgressDialog *progressDialog() const { return progress; }

    // Shows the progress dialog with its Cancel button, then starts the task.
    // Ignored while a task is awaited or being cancelled.
    void startTask(int action, const QString &title, const QString &label);
    // The unit every task works on, by its port path (empty: the first one
    // found), kept across the fresh workers that replace abandoned ones.
    void setUnitPort(const QString &portPath);
    // startTask with the texts of a task that reads from or prepares the unit.
    void startConnectingTask(int action);
    void closeProgress();
    // A task is awaited or being cancelled.
    bool busy() const { return awaitingReport || cancelling; }
    // Abandons the running task: no report will come for it. Waits in steps
    // of 500 ms; after 5 s leaves the task's thread behind (the next task
    // runs on a fresh one) and, every 15 s from 14.5 s on, offers to quit the
    // application. Does nothing while a cancel is already under way.
    void cancelTask();

    // The one box every failed task ends in.
    static void showConnectionError(QWidget *parent);

    // How cancelTask waits between looks at the thread: by default a local
    // event loop for the given milliseconds. Tests count the waits instead.
    using Pause = std::function<void(int ms)>;
    static void setPause(Pause pause);

protected:
    // Escape and the window manager's close act on the progress dialog as its
    // Cancel button does, and not at all while cancelling: the dialog never
    // hides and the window stays modal until the cancel is over.
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // A task's report, only while the task is still awaited (not cancelled).
    void reported(int action, int status);

private slots:
    void takeReport(int action, int status);

private:
    void showProgress(const QString &title, const QString &label);
    void wireFreshWorker();
    // A task blocked in the library cannot be interrupted: its thread and
    // worker are set aside, deleted once the task ends, and a fresh pair
    // takes their place.
    void leaveTaskBehind();
    void deleteLeftBehind(QThread *ended);
    bool userWantsToQuit();

    struct LeftBehind {
        QThread *thread;
        ZyraCommsThread *worker;
    };

    QWidget *window;
    QThread *thread = nullptr;
    ZyraCommsThread *comms = nullptr;
    QProgressDialog *progress;
    QString unitPort;
    std::vector<LeftBehind> leftBehind;
    bool awaitingReport = false;
    bool cancelling = false;
};
