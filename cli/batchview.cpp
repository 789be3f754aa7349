#include "batchview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <cstdio>

#include "texttable.h"

namespace {

constexpr int barWidth = 20;
// Redraws of the block at most this often: a batch's progress events come
// many a second.
constexpr int redrawMs = 200;

void writeLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void writeJson(const QJsonObject &object)
{
    writeLine(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QString("-") : text;
}

}  // namespace

BatchView::BatchView(Reporter::Style style, bool resultsOnly, QObject *parent)
    : QObject(parent), style_(style), resultsOnly_(resultsOnly)
{
    redraw_.setInterval(redrawMs);
    connect(&redraw_, &QTimer::timeout, this, [this] {
        if (dirty_)
            draw();
    });
}

void BatchView::skipped(const QString &port, const QString &serial, const QString &reason)
{
    if (style_ == Reporter::Style::Json)
        writeJson({{"event", "skipped"}, {"port", port}, {"serial", serial}, {"reason", reason}});
    else
        writeLine(stdout, QString("%1 %2: left untouched: %3").arg(port, orUnknown(serial), reason));
}

void BatchView::note(const QString &text)
{
    if (style_ == Reporter::Style::Json)
        writeJson({{"event", "note"}, {"text", text}});
    else
        writeLine(stderr, "zyra: " + text);
}

void BatchView::add(const UnitProcess *unit)
{
    units_ << unit;
    connect(unit, &UnitProcess::event, this, &BatchView::onEvent);
    if (style_ == Reporter::Style::Terminal) {
        dirty_ = true;
        redraw_.start();
    }
}

void BatchView::onEvent(const QJsonObject &event)
{
    const QString name = event.value("event").toString();
    switch (style_) {
    case Reporter::Style::Json:
        writeJson(event);
        break;
    case Reporter::Style::Terminal:
        dirty_ = true;
        break;
    case Reporter::Style::Plain:
        if (!resultsOnly_ && (name == "step" || name == "recovery"))
            writeLine(stdout, QString("%1 %2: %3")
                                  .arg(event.value("port").toString(), orUnknown(event.value("serial").toString()),
                                       event.value("text").toString()));
        break;
    }
}

QString BatchView::lineOf(const UnitProcess &unit) const
{
    const UnitProcess::State &state = unit.state();
    const int filled = state.percent * barWidth / 100;
    const QString step = state.result.isEmpty() ? state.step : state.result;
    return QString("%1 %2 %3 [%4%5] %6% %7%8")
        .arg(state.port, -10)
        .arg(orUnknown(state.serial).left(16), -16)
        .arg(step.left(30), -30)
        .arg(QString(filled, '#'), QString(barWidth - filled, '.'))
        .arg(state.percent, 3)
        .arg(duration(unit.elapsedMs()))
        .arg(state.waiting.isEmpty() ? QString() : "  waiting for the " + state.waiting);
}

void BatchView::draw()
{
    dirty_ = false;
    QString block;
    if (drawn_ > 0)
        block += QString("\x1b[%1A").arg(drawn_);
    for (const UnitProcess *unit : units_)
        block += "\r" + lineOf(*unit) + "\x1b[K\n";
    drawn_ = static_cast<int>(units_.size());
    std::fputs(block.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void BatchView::ended(const UnitProcess *unit)
{
    const UnitProcess::State &state = unit->state();
    if (style_ == Reporter::Style::Terminal) {
        draw();
        return;
    }
    if (style_ == Reporter::Style::Plain)
        writeLine(stdout, QString("%1 %2: %3%4")
                              .arg(state.port, orUnknown(state.serial), state.result,
                                   state.code == 0 ? QString() : QString(", error %1").arg(state.code)));
    if (!state.message.isEmpty() && style_ != Reporter::Style::Json)
        writeLine(stderr, QString("zyra: %1: %2").arg(state.port, state.message));
}

void BatchView::summary(const QList<const UnitProcess *> &units)
{
    redraw_.stop();
    if (style_ == Reporter::Style::Terminal && dirty_)
        draw();
    if (style_ == Reporter::Style::Json) {
        QJsonArray items;
        for (const UnitProcess *unit : units) {
            const UnitProcess::State &state = unit->state();
            items << QJsonObject{{"port", state.port},
                                 {"serial", state.serial},
                                 {"version_before", state.versionBefore},
                                 {"version_after", state.versionAfter},
                                 {"result", state.result},
                                 {"code", state.code},
                                 {"seconds", static_cast<int>(state.elapsedMs / 1000)}};
        }
        writeJson({{"event", "summary"}, {"units", items}});
        return;
    }
    QList<QStringList> rows{{"port", "serial", "before", "after", "result", "code", "time"}};
    for (const UnitProcess *unit : units) {
        const UnitProcess::State &state = unit->state();
        rows << QStringList{
            state.port,   orUnknown(state.serial),     orUnknown(state.versionBefore), orUnknown(state.versionAfter),
            state.result, QString::number(state.code), duration(state.elapsedMs)};
    }
    for (const QString &line : textTable(rows))
        writeLine(stdout, line);
}
