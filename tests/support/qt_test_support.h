// What the Qt test areas share: Qt strings in GoogleTest's messages, and
// copying the sample package's folders into a test's working folder.
#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << "{";
    for (const QString &text : list) {
        *out << "\n  ";
        PrintTo(text, out);
    }
    *out << "\n}";
}

// The files of from (not its subfolders) into to, made if missing.
inline void copyDirectory(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + name, to + "/" + name);
}
