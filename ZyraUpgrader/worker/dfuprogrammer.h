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

    explicit DfuProgrammer(QString program);

    // One run for the target "atxmega128a4u" with the given command and
    // arguments. A run that does not end within the wait limit is killed and
    // counts as failed, as does one that crashed or could not start.
    Run run(const QStringList &arguments);

    // Ends the flasher child still running, if any, for a program that has
    // to leave without its worker: the child would otherwise go on alone
    // with nobody to read its result. Safe from any thread.
    static void endRunningChild();

private:
    QString program_;
    QProcess process_;
};
