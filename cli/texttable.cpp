#include "texttable.h"

#include <algorithm>

QStringList textTable(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows)
        for (int column = 0; column < row.size(); ++column) {
            if (widths.size() <= column)
                widths << 0;
            widths[column] = std::max(widths[column], static_cast<int>(row[column].size()));
        }
    QStringList lines;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (int column = 0; column < row.size(); ++column)
            cells << row[column].leftJustified(widths[column]);
        lines << cells.join("  ").trimmed();
    }
    return lines;
}
