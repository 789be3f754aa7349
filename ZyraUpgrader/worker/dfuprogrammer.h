// The outside flasher of the video module's XMEGA (dfu-programmer), run as a
// child process. Only its exit code and, for a dump, its standard output are
// relied on.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class DfuProgrammer
{
public:
    // Absolute native path of the flasher, or empty when there is none:
    // "utils/dfu-programmer.exe" on Windows; elsewhere "utils/dfu-programmer",
    // and without one there, "dfu-programmer" found on PATH.
    static QString locate();

    struct Run {
        int exitCode = -1;
        QByteArray standardOutput;
        bool succeeded() const { return exitCode == 0; }
    };

    // Without a unit chosen (empty unitPort), each run takes the first video
    // module in its bootloader, as dfu-programmer does on its own; with one
    // (its radio's or its module's port path), the module behind that
    // unit's hub (UnitBench).
    explicit DfuProgrammer(QString program, QString unitPort = {});

    // One run for the target "atxmega128a4u" with the given command and
    // arguments; with a unit chosen, "atxmega128a4u:BUS,ADDR", its module's
    // address read again for each run, as the module comes back from a start
    // with a new one. A run with no module of the chosen unit attached does
    // not start and counts as failed. A run that does not end within the
    // wait limit is killed and counts as failed, as does one that crashed or
    // could not start.
    Run run(const QStringList &arguments);

    // Ends the flasher child still running, if any, for a program that has
    // to leave without its worker: the child would otherwise go on alone
    // with nobody to read its result. Safe from any thread.
    static void endRunningChild();

private:
    // The target naming the chosen unit's module now; empty when it has none.
    QString target() const;

    QString program_;
    QString unitPort_;
    QProcess process_;
};
