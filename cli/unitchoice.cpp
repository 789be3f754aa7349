#include "unitchoice.h"

#include <QPair>
#include <QStringList>

#include <algorithm>

#include "attachedunits.h"
#include "reporter.h"

namespace unitchoice {

namespace {

using Fields = QList<QPair<QString, QString>>;

Fields fieldsOf(const attachedunits::Unit &unit)
{
    return {{"port", unit.port},
            {"state", unit.state},
            {"side", unit.side},
            {"serial", unit.serial},
            {"app_version", unit.appVersion},
            {"mac_version", unit.macVersion}};
}

// The units as a table under a heading, columns as wide as their widest value.
QStringList tableOf(const QList<attachedunits::Unit> &units)
{
    QList<QStringList> rows{{"PORT", "STATE", "SIDE", "SERIAL", "APPLICATION", "RADIO"}};
    for (const attachedunits::Unit &unit : units) {
        QStringList row;
        for (const auto &field : fieldsOf(unit))
            row << field.second;
        rows << row;
    }
    QList<int> widths;
    for (int column = 0; column < rows.first().size(); ++column) {
        int width = 0;
        for (const QStringList &row : rows)
            width = std::max(width, row.at(column).size());
        widths << width;
    }
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (int column = 0; column < row.size(); ++column)
            line += row.at(column).leftJustified(widths.at(column) + 2);
        lines << line.trimmed();
    }
    return lines;
}

// Each unit as a JSON event, or the table's lines on plainStream.
void tell(Reporter &reporter, const QList<attachedunits::Unit> &units, FILE *plainStream)
{
    const QStringList lines = tableOf(units);
    if (!units.isEmpty())
        reporter.listed({}, lines.first(), plainStream);
    for (int index = 0; index < units.size(); ++index)
        reporter.listed(fieldsOf(units.at(index)), lines.at(index + 1), plainStream);
}

}  // namespace

int list(Reporter &reporter)
{
    const QList<attachedunits::Unit> units = attachedunits::list();
    tell(reporter, units, stdout);
    reporter.done(units.isEmpty() ? QString("No ZYRA unit or video module is attached.") : QString());
    return 0;
}

Choice choose(Reporter &reporter, const QString &given)
{
    const QList<attachedunits::Unit> units = attachedunits::list(attachedunits::isPortPath(given) ? given : QString());
    Choice choice;
    if (given.isEmpty() && attachedunits::several(units)) {
        tell(reporter, units, nullptr);
        reporter.refusal("Several ZYRA units are attached; choose one with --unit PORT or --unit SERIAL.",
                         tableOf(units));
        choice.refusedStatus = Reporter::usageStatus;
        return choice;
    }
    QString error;
    if (given.isEmpty())
        choice.port = units.isEmpty() ? QString() : units.first().port;
    else
        choice.port = attachedunits::portOf(units, given, &error);
    if (!error.isEmpty()) {
        tell(reporter, units, nullptr);
        reporter.refusal(error, units.isEmpty() ? QStringList() : tableOf(units));
        choice.refusedStatus = Reporter::usageStatus;
        return choice;
    }
    for (const attachedunits::Unit &unit : units)
        if (unit.port == choice.port)
            reporter.setUnit(unit.port, unit.serial);
    return choice;
}

}  // namespace unitchoice
