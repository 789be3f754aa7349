// A package folder laid out as scripts/demo lays it out, and zyra run in it
// as a child process against the virtual unit's libusb drop-in.
#pragma once

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "qt_test_support.h"

#include <ostream>

struct Outcome {
    int status = -1;
    // The JSON events on stdout, as "event" or "event: detail"; the signs of
    // life apart, as "<for>, <seconds>".
    QStringList events;
    QStringList waits;
    // Each unit the events name, as "<port> <serial>" (serial cut to 14), once.
    QStringList units;
    QString standardError;
};

// For a unit with a video module, that module waits in its bootloader with
// an older image.
class Bench
{
public:
    explicit Bench(bool videoModule);

    QString path(const QString &relative) const;
    void write(const QString &relative, const QByteArray &content) const;
    // The environment of a run; side: "tx", "rx" or "none" (no unit on the bus).
    QProcessEnvironment environment(const QString &side, const QStringList &variables = {}) const;
    // The arguments of a run: the given ones and the package folder.
    QStringList arguments(const QStringList &given) const;
    Outcome run(const QStringList &arguments, const QString &side, const QStringList &variables = {}) const;

private:
    QTemporaryDir folder_;
};

// Reads one line of zyra's stdout into outcome's events, as run() does.
void addEvent(const QByteArray &line, Outcome &outcome);

// Names a table's test after its row's name field.
struct RowName {
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row> &info) const
    {
        return info.param.name;
    }
};
