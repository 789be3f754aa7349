// zyra region, zyra mode, zyra channels and zyra info: one ZyraCommsThread task on the unit, as the
// radio settings dialogs run it, told through a Reporter.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

#include "commsrunner.h"
#include "history.h"

class Reporter;

class SettingsCommand : public QObject
{
    Q_OBJECT

public:
    // confirmed: --yes, which zyra channels set needs to write its plan.
    SettingsCommand(Reporter &reporter, bool confirmed, QObject *parent = nullptr);

    // The unit to work on, by its port path; empty for the first one found.
    // Settings need the radio on the bus, so the only unit's port holds too.
    void setUnitPort(const QString &port);
    // The exit status of arguments that are no setting (nothing started),
    // or -1 once the task has started; ended() follows then.
    int startRegion(const QStringList &arguments);
    int startMode(const QStringList &arguments);
    int startInfo(const QStringList &arguments);
    int startChannels(const QStringList &arguments);
    // Ctrl-C: the first lets the running task end and starts no further
    // change (none at all before the first task), the next one leaves at once.
    void interrupt(int count);

signals:
    void ended(int status);

private:
    // A usage error; returns its exit status.
    int usage(const QString &text);
    void run(int action);
    void stop();
    void onReport(int action, int status);
    void reportIdentity();
    void reportChannels();
    // After the read: the new list stored, or refused as the dialog would.
    void writeChannels();
    // The frequencies switched off once the change is made.
    std::vector<uint16_t> switchedOffAfterChange() const;
    // A refusal of the new list, naming the channel and the region; empty when it may be stored.
    QString refusalOf(const std::vector<uint16_t> &switchedOff) const;

    enum class ChannelChange {
        none,
        switchOn,   // zyra channels on: the named ones on, the others as they are
        switchOff,  // zyra channels off: the named ones off, the others as they are
        replace,    // zyra channels set: the named ones off, all others on
    };

    Reporter &reporter_;
    bool confirmed_;
    CommsRunner runner_;
    QString port_;
    ZyraCommsThread &comms_;
    // The change and its frequencies, made once the stored list has been read.
    ChannelChange change_ = ChannelChange::none;
    std::vector<uint16_t> named_;
    bool taskRunning_ = false;
    bool stopRequested_ = false;
    bool stopped_ = false;
    HistoryEntry history_;
};
