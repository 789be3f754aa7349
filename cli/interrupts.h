// Ctrl-C as a Qt signal: the handler only writes to a pipe, the event loop
// reads it.
#pragma once

#include <QObject>

class QSocketNotifier;

// The exit status of a command that Ctrl-C stopped, as a shell reports one
// that SIGINT ended.
constexpr int interruptedStatus = 130;
// What the first Ctrl-C tells the user of a settings or pairing command.
inline const char stoppingNote[] = "Stopping after the current step; Ctrl-C again leaves at once.";

class Interrupts : public QObject
{
    Q_OBJECT

public:
    explicit Interrupts(QObject *parent = nullptr);
    ~Interrupts() override;

    // Emits interrupted() now for a Ctrl-C that came while the program
    // started, so that a command can take it before its first step.
    void deliverPending();

signals:
    // count is 1 for the first Ctrl-C, 2 for the next one, and so on.
    void interrupted(int count);

private:
    QSocketNotifier *notifier_ = nullptr;
    int count_ = 0;
};
