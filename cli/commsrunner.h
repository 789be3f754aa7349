// A command's ZyraCommsThread on a QThread of its own, running one task at a
// time and handing each report to the callback given with its task.
#pragma once

#include <QObject>

#include <functional>

class QThread;
class ZyraCommsThread;

class CommsRunner : public QObject
{
    Q_OBJECT

public:
    using Report = std::function<void(int action, int status)>;

    explicit CommsRunner(QObject *parent = nullptr);
    // Asks a running task to stop and waits for its thread.
    ~CommsRunner() override;

    // The task's values: set before a write task, read in its report.
    ZyraCommsThread &comms() { return *comms_; }
    // Starts action; report gets its status once the task's thread has ended.
    void run(int action, Report report);

private:
    void onReport(int action, int status);

    QThread *thread_;
    ZyraCommsThread *comms_;
    Report report_;
};
