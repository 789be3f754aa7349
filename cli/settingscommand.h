// zyra region, zyra mode and zyra info: one ZyraCommsThread task on the unit, as the
// radio settings dialogs run it, told through a Reporter.
#pragma once

#include <QObject>
#include <QString>

class QThread;
class Reporter;
class ZyraCommsThread;

class SettingsCommand : public QObject
{
    Q_OBJECT

public:
    explicit SettingsCommand(Reporter &reporter, QObject *parent = nullptr);
    ~SettingsCommand() override;

    // The exit status of arguments that are no setting (nothing started),
    // or -1 once the task has started; ended() follows then.
    int startRegion(const QStringList &arguments);
    int startMode(const QStringList &arguments);
    int startInfo(const QStringList &arguments);

signals:
    void ended(int status);

private:
    void onReport(int action, int status);
    void reportIdentity();

    Reporter &reporter_;
    QThread *thread_;
    ZyraCommsThread *comms_;
};
