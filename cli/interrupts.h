// Ctrl-C as a Qt signal: the handler only writes to a pipe, the event loop
// reads it.
#pragma once

#include <QObject>

class QSocketNotifier;

class Interrupts : public QObject
{
    Q_OBJECT

public:
    explicit Interrupts(QObject *parent = nullptr);
    ~Interrupts() override;

signals:
    // count is 1 for the first Ctrl-C, 2 for the next one, and so on.
    void interrupted(int count);

private:
    QSocketNotifier *notifier_ = nullptr;
    int count_ = 0;
};
