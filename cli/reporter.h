// Everything zyra tells its user: JSON events one a line, a progress line
// redrawn in place on a terminal, or plain lines for a log.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>

class Reporter
{
public:
    enum class Style {
        Json,
        Terminal,
        Plain
    };

    Reporter(Style style, bool quiet);
    // Json with --json, else Terminal when stdout is one, else Plain.
    static Style styleFor(bool json);

    void step(const QString &text);
    void progress(int value, int total);
    void detected(const QString &version);
    // What the user must do before the run can go on.
    void recovery(const QString &instructions);
    // A note beside the run (on stderr outside JSON).
    void note(const QString &text);
    // Ends a command that reads a value: the value in a line of its own, or
    // as the done event's "value".
    void doneWith(const QString &value);
    // The same for named values: "name: value" lines, or keys of the event.
    void doneWith(const QList<QPair<QString, QString>> &fields);
    // Ends a run: the error's message and code on stderr, or its event.
    void error(const QString &message, int code);
    void done(const QString &summary);

private:
    void json(const char *event, const QString &key, const QString &value);
    // The event in JSON, otherwise its value as a line of plainStream.
    void tell(const char *event, const QString &key, const QString &value, FILE *plainStream);
    void endProgressLine();

    Style style_;
    bool quiet_;
    bool progressShown_ = false;
    QString step_;
    QElapsedTimer elapsed_;
};
