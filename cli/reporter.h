// Everything zyra tells its user: JSON events one a line, a progress line
// redrawn in place on a terminal, or plain lines for a log.
#pragma once

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>

class Reporter
{
public:
    // The exit status of a command line zyra does not understand.
    static constexpr int usageStatus = 2;

    enum class Style {
        Json,
        Terminal,
        Plain
    };

    Reporter(Style style, bool quiet);
    // Json with --json, else Terminal when stdout is one, else Plain.
    static Style styleFor(bool json);
    Style style() const { return style_; }

    // The unit a run works on: from now on every JSON event names its port
    // and serial.
    void setUnit(const QString &port, const QString &serial);
    QString unitPort() const { return unit_.value("port").toString(); }
    QString unitSerial() const { return unit_.value("serial").toString(); }
    // One attached unit of a list: a "unit" event with the named values, or
    // its line on plainStream (none: the line is told by other means); a
    // line without fields, such as a heading, is no event.
    void listed(const QList<QPair<QString, QString>> &fields, const QString &line, FILE *plainStream);
    // A command refused before it touches any unit, exit status 2: the
    // message and below it lines on stderr, and with JSON its event.
    void refusal(const QString &message, const QStringList &lines);
    // A step's text, as a line of its own when it starts; the progress
    // line under it names the step.
    void step(const QString &text);
    void progress(int value, int total);
    // A sign of life while a step waits: on the progress line, a line of
    // its own, or a "waiting" event.
    void waiting(const QString &what, int seconds);
    // What the detection found, as named values ("version", "installs"...).
    void detected(const QList<QPair<QString, QString>> &fields);
    // What the user must do before the run can go on.
    void recovery(const QString &instructions);
    // A note beside the run (on stderr outside JSON).
    void note(const QString &text);
    // Ends a command that reads a value: the value in a line of its own, or
    // as the done event's "value".
    void doneWith(const QString &value);
    // The same for named values: "name: value" lines, or keys of the event.
    void doneWith(const QList<QPair<QString, QString>> &fields);
    // The same for a list: its lines, or the event's key holding the items.
    void doneWithList(const QString &key, const QJsonArray &items, const QStringList &lines);
    // Ends a run: the error's message, its code and below them its cause on
    // stderr, and with JSON its event. The message's own "Error Code: n"
    // line is kept, added when missing (for a code above 0), and left out
    // for code 0, which is no exit status.
    void error(const QString &message, int code, const QString &cause = QString());
    // A command line zyra does not understand: exit status 2.
    void usageError(const QString &message);
    void done(const QString &summary);

private:
    void writeJson(QJsonObject object) const;
    void json(const char *event, const QString &key, const QString &value);
    // The event in JSON, otherwise its value as a line of plainStream.
    void tell(const char *event, const QString &key, const QString &value, FILE *plainStream);
    // The event with named values, otherwise "name: value" lines on stdout.
    void tellFields(const char *event, const QList<QPair<QString, QString>> &fields);
    void endProgressLine();
    void drawProgressLine(const QString &after);

    Style style_;
    bool quiet_;
    bool progressShown_ = false;
    QString step_;
    int percent_ = 0;
    QElapsedTimer elapsed_;
    // The port and serial of the unit every event names; empty before setUnit().
    QJsonObject unit_;
};
