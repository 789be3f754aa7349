// What a batch of units shows while their updates run side by side: on a
// terminal one line per unit redrawn in place, else plain lines, or with
// --json each unit's events with its port and serial; at the end a summary.
#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QTimer>

#include "reporter.h"
#include "unitprocess.h"

class BatchView : public QObject
{
    Q_OBJECT

public:
    // resultsOnly: outside JSON, a line for each unit's end and none for its steps.
    BatchView(Reporter::Style style, bool resultsOnly, QObject *parent = nullptr);

    // A unit that is left untouched, and why.
    void skipped(const QString &port, const QString &serial, const QString &reason);
    // A note beside the units (on stderr outside JSON).
    void note(const QString &text);
    // The units from now on; their events are shown as they come.
    void add(const UnitProcess *unit);
    // The end of one unit's update: a line of its own outside the terminal's block.
    void ended(const UnitProcess *unit);
    // The summary table, or the summary event with each unit's code.
    void summary(const QList<const UnitProcess *> &units);

private:
    void onEvent(const QJsonObject &event);
    // Redraws the terminal's block of unit lines.
    void draw();
    QString lineOf(const UnitProcess &unit) const;

    Reporter::Style style_;
    bool resultsOnly_;
    QList<const UnitProcess *> units_;
    // Lines of the block on the terminal now.
    int drawn_ = 0;
    bool dirty_ = false;
    QTimer redraw_;
};
