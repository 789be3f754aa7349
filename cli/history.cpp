#include "history.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "interrupts.h"
#include "reporter.h"
#include "texttable.h"

namespace history {

namespace {

const QStringList columns{"time",           "action",        "type",   "port", "serial",
                          "version_before", "version_after", "result", "code", "package"};

QString stateFolder()
{
    // The XDG rule: a relative XDG_STATE_HOME is ignored.
    const QString given = qEnvironmentVariable("XDG_STATE_HOME");
    if (!given.isEmpty() && QDir::isAbsolutePath(given))
        return given;
    return QDir::homePath() + "/.local/state";
}

QByteArray lineOf(const HistoryRecord &record)
{
    const QJsonObject object{{"time", QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                             {"action", record.action},
                             {"type", record.type},
                             {"port", record.port},
                             {"serial", record.serial},
                             {"version_before", record.versionBefore},
                             {"version_after", record.versionAfter},
                             {"result", record.result},
                             {"code", record.code},
                             {"package", record.package}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// Whether the file's last byte ends a line: a line torn by a full disk or an
// outside tool must not swallow the record that follows it.
bool endsWithNewline(int file)
{
    struct stat status {
    };
    char last = '\n';
    return fstat(file, &status) != 0 || status.st_size == 0 || pread(file, &last, 1, status.st_size - 1) != 1 ||
           last == '\n';
}

QString fieldText(const QJsonObject &record, const QString &column)
{
    const QJsonValue value = record.value(column);
    return value.isDouble() ? QString::number(value.toInt()) : value.toString();
}

QString csvField(const QString &text)
{
    if (!text.contains(QRegularExpression("[\",\r\n]")))
        return text;
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

}  // namespace

QString filePath()
{
    return stateFolder() + "/zyra/history.jsonl";
}

void append(const HistoryRecord &record, Reporter &reporter)
{
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).path());
    const int file = open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    QByteArray line = lineOf(record);
    if (file >= 0 && !endsWithNewline(file))
        line.prepend('\n');
    // One write of the whole line with O_APPEND: the kernel puts it at the
    // end in one piece, so the units of a batch, each its own zyra process
    // appending at once, never interleave, and a run that crashes or is
    // killed leaves its line whole or not at all, never half of it.
    const ssize_t written = file >= 0 ? write(file, line.constData(), static_cast<size_t>(line.size())) : -1;
    const int error = errno;
    if (file >= 0)
        close(file);
    if (written == line.size())
        return;
    reporter.note(QString("The history %1 could not be written: %2.")
                      .arg(path, written < 0 ? QString::fromLocal8Bit(std::strerror(error)) : "short write"));
}

int print(Format format, Reporter &reporter)
{
    QFile file(filePath());
    if (!file.exists()) {
        if (format != Format::Json)
            reporter.note(QString("No history yet: %1 does not exist.").arg(file.fileName()));
        return 0;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reporter.error(QString("The history %1 could not be read: %2.").arg(file.fileName(), file.errorString()), 1);
        return 1;
    }
    QList<QJsonObject> records;
    int skipped = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError parsing{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &parsing);
        if (parsing.error == QJsonParseError::NoError && document.isObject())
            records << document.object();
        else
            ++skipped;
    }
    // On stderr even with --json, whose lines on stdout are the records alone.
    if (skipped > 0)
        std::fputs(QString("zyra: %1 line(s) of %2 are no record and are left out.\n")
                       .arg(skipped)
                       .arg(file.fileName())
                       .toLocal8Bit()
                       .constData(),
                   stderr);
    QList<QStringList> rows;
    for (const QJsonObject &record : records) {
        QStringList row;
        for (const QString &column : columns)
            row << fieldText(record, column);
        rows << row;
    }
    if (format == Format::Json) {
        for (const QJsonObject &record : records)
            std::fputs(QJsonDocument(record).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
    } else if (format == Format::Csv) {
        std::fputs(columns.join(',').append('\n').toUtf8().constData(), stdout);
        for (const QStringList &row : rows) {
            QStringList fields;
            for (const QString &field : row)
                fields << csvField(field);
            std::fputs(fields.join(',').append('\n').toUtf8().constData(), stdout);
        }
    } else {
        rows.prepend(columns);
        for (const QString &line : textTable(rows))
            std::fputs((line + '\n').toLocal8Bit().constData(), stdout);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace history

void HistoryEntry::begin(const QString &action, const QString &type)
{
    record_.action = action;
    record_.type = type;
    record_.package = QDir::currentPath();
}

void HistoryEntry::setVersions(const QString &before, const QString &after)
{
    record_.versionBefore = before;
    record_.versionAfter = after;
}

void HistoryEntry::noteUnit(const vx_zyra_t &unit)
{
    const QString serial = QString::fromLatin1(unit.serial, qstrnlen(unit.serial, sizeof unit.serial)).trimmed();
    if (!serial.isEmpty())
        record_.serial = serial;
    char port[VX_ZYRA_PORT_PATH_SIZE] = {};
    if (vx_zyra_port_path(&unit, port) == VX_ZYRA_OK)
        record_.port = QString::fromLatin1(port, qstrnlen(port, sizeof port));
}

void HistoryEntry::end(int exitStatus, int code, Reporter &reporter)
{
    append(exitStatus == 0 ? "success" : exitStatus == interruptedStatus ? "stopped" : "failed", code, reporter);
}

void HistoryEntry::leave(int code, Reporter &reporter)
{
    append("left", code, reporter);
}

void HistoryEntry::append(const QString &result, int code, Reporter &reporter)
{
    if (!begun() || ended_)
        return;
    ended_ = true;
    // The unit the command was given, where its handle did not tell.
    if (record_.port.isEmpty())
        record_.port = reporter.unitPort();
    if (record_.serial.isEmpty())
        record_.serial = reporter.unitSerial();
    record_.result = result;
    record_.code = code;
    history::append(record_, reporter);
}
