#include "dfuprogrammer.h"

#include "unitbench.h"
#include "vx_zyra.h"
#include "workerclock.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

#ifdef Q_OS_WIN
const char executableName[] = "dfu-programmer.exe";
#else
const char executableName[] = "dfu-programmer";
#endif

const char targetName[] = "atxmega128a4u";

// A killed child must be reaped before the process object is reused.
const int reapWaitMs = 5000;

// The process id of the flasher child while one runs, else 0.
std::atomic<qint64> runningChild{0};

}  // namespace

QString DfuProgrammer::locate()
{
    const QFileInfo inUtils(QDir("utils"), executableName);
    if (inUtils.isFile())
        return QDir::toNativeSeparators(inUtils.absoluteFilePath());
#ifndef Q_OS_WIN
    const QString onPath = QStandardPaths::findExecutable(executableName);
    if (!onPath.isEmpty())
        return QDir::toNativeSeparators(onPath);
#endif
    return {};
}

DfuProgrammer::DfuProgrammer(QString program, QString unitPort)
    : program_(std::move(program)), unitPort_(std::move(unitPort))
{
}

QString DfuProgrammer::target() const
{
    if (unitPort_.isEmpty())
        return targetName;
    const QString module = UnitBench::attached().moduleOf(unitPort_);
    int bus = 0;
    int address = 0;
    if (module.isEmpty() || vx_zyra_usb_address(module.toLatin1().constData(), &bus, &address) != VX_ZYRA_OK)
        return {};
    return QString("%1:%2,%3").arg(targetName).arg(bus).arg(address);
}

DfuProgrammer::Run DfuProgrammer::run(const QStringList &arguments)
{
    Run result;
    const QString chosenTarget = target();
    if (chosenTarget.isEmpty()) {
        qDebug() << "no video module of the unit chosen as" << unitPort_ << "in its bootloader";
        return result;
    }
    process_.start(program_, QStringList{chosenTarget} + arguments, QIODevice::ReadWrite);
    runningChild = process_.processId();
    const bool finished = process_.waitForFinished(workerclock::processWaitMs());
    if (!finished && process_.state() != QProcess::NotRunning) {
        qDebug() << "dfu-programmer did not finish in time; stopping it";
        process_.kill();
        process_.waitForFinished(reapWaitMs);
    }
    runningChild = 0;
    result.standardOutput = process_.readAllStandardOutput();
    const QByteArray standardError = process_.readAllStandardError();
    if (finished && process_.exitStatus() == QProcess::NormalExit)
        result.exitCode = process_.exitCode();
    qDebug() << "dfu-programmer" << chosenTarget << arguments << "exit code" << result.exitCode;
    qDebug() << "stdout:" << result.standardOutput.size() << "bytes" << result.standardOutput.left(200);
    qDebug() << "stderr:" << standardError;
    return result;
}

void DfuProgrammer::endRunningChild()
{
#ifdef Q_OS_UNIX
    const qint64 child = runningChild.exchange(0);
    if (child > 0)
        ::kill(static_cast<pid_t>(child), SIGTERM);
#endif
}
