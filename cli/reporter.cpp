#include "reporter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int barWidth = 30;

void writeLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int percentOf(int value, int total)
{
    return total > 0 ? qBound(0, value * 100 / total, 100) : 0;
}

// The worker's messages are paragraphs for a window: on a terminal they are
// lines without blanks at their ends and without empty lines between them.
// The code line is the exit status, so it is dropped for code 0.
QString messageLines(const QString &message, int code)
{
    const QString codeLine = QString("Error Code: %1").arg(code);
    QStringList lines;
    bool codeShown = false;
    for (const QString &line : message.split('\n')) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        if (text.startsWith("Error Code: ")) {
            codeShown = true;
            if (code == 0)
                continue;
        }
        lines << text;
    }
    if (!codeShown && code > 0)
        lines << codeLine;
    return lines.join('\n');
}

}  // namespace

Reporter::Reporter(Style style, bool quiet) : style_(style), quiet_(quiet)
{
    elapsed_.start();
}

Reporter::Style Reporter::styleFor(bool json)
{
    if (json)
        return Style::Json;
    return isatty(STDOUT_FILENO) ? Style::Terminal : Style::Plain;
}

void Reporter::writeJson(QJsonObject object) const
{
    for (auto field = unit_.begin(); field != unit_.end(); ++field)
        object.insert(field.key(), field.value());
    writeLine(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void Reporter::setUnit(const QString &port, const QString &serial)
{
    unit_ = {{"port", port}, {"serial", serial}};
}

void Reporter::listed(const QList<QPair<QString, QString>> &fields, const QString &line, FILE *plainStream)
{
    if (style_ != Style::Json) {
        if (plainStream)
            writeLine(plainStream, line);
        return;
    }
    if (fields.isEmpty())
        return;
    QJsonObject object{{"event", "unit"}};
    for (const auto &field : fields)
        object.insert(field.first, field.second);
    writeJson(object);
}

void Reporter::refusal(const QString &message, const QStringList &lines)
{
    writeLine(stderr, (QStringList{"zyra: " + message} + lines).join('\n'));
    if (style_ == Style::Json)
        writeJson({{"event", "error"}, {"code", usageStatus}, {"message", message}});
}

void Reporter::json(const char *event, const QString &key, const QString &value)
{
    QJsonObject object{{"event", event}};
    if (!key.isEmpty())
        object.insert(key, value);
    writeJson(object);
}

void Reporter::tell(const char *event, const QString &key, const QString &value, FILE *plainStream)
{
    if (style_ == Style::Json)
        json(event, key, value);
    else
        writeLine(plainStream, value);
}

void Reporter::endProgressLine()
{
    if (!progressShown_)
        return;
    std::fputc('\n', stdout);
    progressShown_ = false;
}

void Reporter::step(const QString &text)
{
    step_ = text.trimmed();
    if (style_ == Style::Json) {
        json("step", "text", step_);
        return;
    }
    if (quiet_)
        return;
    endProgressLine();
    writeLine(stdout, step_);
}

void Reporter::progress(int value, int total)
{
    const int percent = percentOf(value, total);
    if (style_ == Style::Json) {
        writeJson({{"event", "progress"}, {"value", value}, {"total", total}, {"percent", percent}});
        return;
    }
    percent_ = percent;
    if (style_ != Style::Terminal || quiet_)
        return;
    drawProgressLine(QString());
}

void Reporter::drawProgressLine(const QString &after)
{
    const int filled = percent_ * barWidth / 100;
    const qint64 seconds = elapsed_.elapsed() / 1000;
    const QString line = QString("\r%1 [%2%3] %4% %5:%6%7\x1b[K")
                             .arg(step_, -30)
                             .arg(QString(filled, '#'), QString(barWidth - filled, '.'))
                             .arg(percent_, 3)
                             .arg(seconds / 60)
                             .arg(seconds % 60, 2, 10, QChar('0'))
                             .arg(after);
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    progressShown_ = true;
}

void Reporter::waiting(const QString &what, int seconds)
{
    const QString text = QString("waiting for the %1, %2 s").arg(what).arg(seconds);
    if (style_ == Style::Json)
        writeJson({{"event", "waiting"}, {"for", what}, {"seconds", seconds}});
    else if (style_ == Style::Terminal && !quiet_)
        drawProgressLine("  " + text);
    else if (!quiet_)
        writeLine(stdout, text);
}

void Reporter::detected(const QList<QPair<QString, QString>> &fields)
{
    tellFields("detected", fields);
}

void Reporter::recovery(const QString &instructions)
{
    endProgressLine();
    tell("recovery", "text", instructions, stdout);
}

void Reporter::note(const QString &text)
{
    endProgressLine();
    tell("note", "text", text, stderr);
}

void Reporter::doneWith(const QString &value)
{
    tell("done", "value", value, stdout);
}

void Reporter::doneWith(const QList<QPair<QString, QString>> &fields)
{
    tellFields("done", fields);
}

void Reporter::doneWithList(const QString &key, const QJsonArray &items, const QStringList &lines)
{
    if (style_ == Style::Json) {
        writeJson({{"event", "done"}, {key, items}});
        return;
    }
    for (const QString &line : lines)
        writeLine(stdout, line);
}

void Reporter::tellFields(const char *event, const QList<QPair<QString, QString>> &fields)
{
    QJsonObject object{{"event", event}};
    for (const auto &field : fields) {
        if (style_ == Style::Json)
            object.insert(field.first, field.second);
        else
            writeLine(stdout, QString("%1: %2").arg(field.first, field.second));
    }
    if (style_ == Style::Json)
        writeJson(object);
}

void Reporter::error(const QString &message, int code, const QString &cause)
{
    endProgressLine();
    const QString lines = messageLines(message, code);
    writeLine(stderr, "zyra: " + lines + (cause.isEmpty() ? QString() : "\n" + cause));
    if (style_ != Style::Json)
        return;
    QJsonObject event{{"event", "error"}, {"code", code}, {"message", lines}};
    if (!cause.isEmpty())
        event.insert("cause", cause);
    writeJson(event);
}

void Reporter::usageError(const QString &message)
{
    writeLine(stderr, QString("zyra: %1\nTry 'zyra --help'.").arg(message));
    if (style_ == Style::Json)
        writeJson({{"event", "error"}, {"code", usageStatus}, {"message", message}});
}

void Reporter::done(const QString &summary)
{
    endProgressLine();
    if (style_ == Style::Json)
        json("done", summary.isEmpty() ? QString() : "text", summary);
    else if (!quiet_ && !summary.isEmpty())
        writeLine(stdout, summary);
}
