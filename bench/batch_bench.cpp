// Wall time of updating N = 1, 4 and 16 virtual units: one after the other
// (a zyra update --unit per unit), then in one batch (zyra update --all).
// The units' waits (restarts, reconnects, the radio's pull) pass in real
// time divided by ZYRA_SIM_TIME_SCALE, so the batch's units really wait
// side by side. Goal: T(16) / T(1) of the batch at most 1.3 on two cores.
// A program that prints figures, not a test.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "qt_test_support.h"

namespace {

constexpr double goal = 1.3;
const int counts[] = {1, 4, 16};
// A whole update of an HDMI RX waits about 2 min 20 s on the unit.
const char timeScale[] = "40";
const char deviceType[] = "hdmi-rx";

class Bench
{
public:
    explicit Bench(int units)
    {
        copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware", folder_.filePath("firmware"));
        QDir().mkpath(folder_.filePath("state"));
        QDir().mkpath(folder_.filePath("no-tools"));
        QStringList sides;
        for (int unit = 0; unit < units; ++unit)
            sides << "rx";
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("PATH", folder_.filePath("no-tools"));
        environment_.insert("LD_PRELOAD", ZYRA_SIM_DROPIN);
        environment_.insert("ZYRA_SIM_UNITS", sides.join(','));
        environment_.insert("ZYRA_SIM_STATE_DIR", folder_.filePath("state"));
        environment_.insert("ZYRA_SIM_REALTIME", "1");
        environment_.insert("ZYRA_SIM_TIME_SCALE", timeScale);
        environment_.insert("XDG_STATE_HOME", folder_.filePath("state-home"));
        environment_.insert("QT_LOGGING_RULES", "*.debug=false");
    }

    // zyra's exit status and its standard output; -1 when it did not end within 20 min.
    int run(const QStringList &arguments, QByteArray *output = nullptr) const
    {
        QProcess zyra;
        zyra.setProcessEnvironment(environment_);
        zyra.setStandardErrorFile(QProcess::nullDevice());
        zyra.start(ZYRA_CLI, arguments + QStringList{"--package", folder_.path()});
        if (!zyra.waitForFinished(20 * 60 * 1000))
            return -1;
        if (output)
            *output = zyra.readAllStandardOutput();
        return zyra.exitStatus() == QProcess::NormalExit ? zyra.exitCode() : -1;
    }

    QStringList ports() const
    {
        QByteArray listing;
        run({"list", "--json"}, &listing);
        QStringList found;
        for (const QByteArray &line : listing.split('\n')) {
            const QString port = QJsonDocument::fromJson(line).object().value("port").toString();
            if (!port.isEmpty())
                found << port;
        }
        return found;
    }

private:
    QTemporaryDir folder_;
    QProcessEnvironment environment_;
};

// Seconds for the units one after the other; negative when one failed.
double oneAfterTheOther(int units)
{
    const Bench bench(units);
    const QStringList ports = bench.ports();
    QElapsedTimer clock;
    clock.start();
    bool failed = ports.size() != units;
    for (const QString &port : ports)
        failed = bench.run({"update", deviceType, "--unit", port, "--yes"}) != 0 || failed;
    return failed ? -1 : clock.elapsed() / 1000.0;
}

double inOneBatch(int units)
{
    const Bench bench(units);
    QElapsedTimer clock;
    clock.start();
    const bool failed = bench.run({"update", deviceType, "--all"}) != 0;
    return failed ? -1 : clock.elapsed() / 1000.0;
}

void report(const char *how, double (*measure)(int))
{
    double first = 0;
    double last = 0;
    for (int units : counts) {
        const double seconds = measure(units);
        std::printf("%-20s N = %2d: %7.1f s%s\n", how, units, seconds, seconds < 0 ? " (a unit failed)" : "");
        std::fflush(stdout);
        if (units == counts[0])
            first = seconds;
        last = seconds;
    }
    if (first > 0 && last > 0)
        std::printf("%-20s T(16) / T(1) = %.2f (goal for the batch: at most %.1f)\n", how, last / first, goal);
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    std::printf("%s, the unit's waits in real time / %s\n", deviceType, timeScale);
    report("one after the other", oneAfterTheOther);
    report("zyra update --all", inOneBatch);
    return 0;
}
