// zyra region, zyra mode, zyra channels and zyra info: one ZyraCommsThread task on the unit, as the
// radio settings dialogs run it, told through a Reporter.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

#include "commsrunner.h"

class Reporter;

class SettingsCommand : public QObject
{
    Q_OBJECT

public:
    explicit SettingsCommand(Reporter &reporter, QObject *parent = nullptr);

    // The exit status of arguments that are no setting (nothing started),
    // or -1 once the task has started; ended() follows then.
    int startRegion(const QStringList &arguments);
    int startMode(const QStringList &arguments);
    int startInfo(const QStringList &arguments);
    int startChannels(const QStringList &arguments);

signals:
    void ended(int status);

private:
    // A usage error; returns its exit status.
    int usage(const QString &text);
    void run(int action);
    void onReport(int action, int status);
    void reportIdentity();
    void reportChannels();
    // After the read: the new list stored, or refused as the dialog would.
    void writeChannels();

    Reporter &reporter_;
    CommsRunner runner_;
    ZyraCommsThread &comms_;
    // zyra channels set: the frequencies to switch off, written once the
    // stored ones have been read.
    std::vector<uint16_t> switchedOff_;
    bool writeAfterRead_ = false;
};
