// What zyra did to which unit: one JSON object a line in
// $XDG_STATE_HOME/zyra/history.jsonl (default ~/.local/state/zyra/),
// appended by every run that changes a unit, read by zyra history.
#pragma once

#include <QString>

#include "vx_zyra.h"

class Reporter;

struct HistoryRecord {
    // update, recovery, pair, region, mode or channels
    QString action;
    // The unit type the run was given (hdmi-tx...); empty for a setting.
    QString type;
    QString port;
    QString serial;
    QString versionBefore;
    QString versionAfter;
    // success, failed, stopped (after a step, by Ctrl-C) or left (at once, by a second Ctrl-C)
    QString result;
    int code = 0;
    // The package folder the run read, absolute.
    QString package;
};

namespace history {

QString filePath();
// Appends the record, stamped with the time now; a file that cannot be
// written is told as a note, the run's own result stands.
void append(const HistoryRecord &record, Reporter &reporter);

enum class Format {
    Table,
    Json,
    Csv
};
// zyra history: every record, oldest first; the exit status.
int print(Format format, Reporter &reporter);

}  // namespace history

// The record of one command's run, filled while it goes and appended once,
// when it ends, only if it began to change the unit.
class HistoryEntry
{
public:
    // The run is about to change the unit: from here on it leaves a record.
    void begin(const QString &action, const QString &type);
    bool begun() const { return !record_.action.isEmpty(); }
    void setAction(const QString &action) { record_.action = action; }
    void setVersions(const QString &before, const QString &after);
    // The unit's port and serial as its handle tells them; what it does not
    // tell (a closed handle has no port) keeps what was known.
    void noteUnit(const vx_zyra_t &unit);
    // Appends the record, once, its result told by the command's exit
    // status (0 success, 130 stopped, else failed).
    void end(int exitStatus, int code, Reporter &reporter);
    // The same for a run left at once by a second Ctrl-C.
    void leave(int code, Reporter &reporter);

private:
    void append(const QString &result, int code, Reporter &reporter);

    HistoryRecord record_;
    bool ended_ = false;
};
