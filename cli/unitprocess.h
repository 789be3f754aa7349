// One unit's update in a zyra process of its own (zyra update TYPE --unit
// PORT --json --yes), its events read as they come: what a batch shows of
// that unit and what its summary says.
#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QStringList>

class UnitProcess : public QObject
{
    Q_OBJECT

public:
    // What the unit's update has told so far.
    struct State {
        QString port;
        QString serial;
        QString step;
        int percent = 0;
        // The sign of life of a step that waits ("unit to come back, 34 s").
        QString waiting;
        QString versionBefore;
        QString versionAfter;
        // Empty while it runs; then success, failed, stopped or unplugged.
        QString result;
        int code = 0;
        QString message;
        qint64 elapsedMs = 0;
    };

    // arguments: the child's own, besides update TYPE --unit PORT --json --yes.
    UnitProcess(const QString &port, const QString &serial, const QStringList &arguments, QObject *parent = nullptr);
    ~UnitProcess() override;

    void start();
    bool running() const;
    // Ctrl-C for this unit alone: the child stops after its current step,
    // and leaves at once the second time.
    void interrupt();
    // A unit whose update failed and which is no longer attached was
    // unplugged: its result says so.
    void markUnplugged() { state_.result = "unplugged"; }
    const State &state() const { return state_; }
    // Since the start, until the end.
    qint64 elapsedMs() const { return running() ? clock_.elapsed() : state_.elapsedMs; }

signals:
    // Each event of the child, with the unit's port and serial.
    void event(const QJsonObject &event);
    void finished();

private:
    void readEvents();
    void take(QJsonObject event);
    void onFinished(int exitCode, QProcess::ExitStatus status);

    class Child : public QProcess
    {
    protected:
        void setupChildProcess() override;
    };

    Child process_;
    QStringList arguments_;
    State state_;
    QElapsedTimer clock_;
    QString installs_;
    // The child has told its update's success.
    bool succeeded_ = false;
};
