#include "unitprocess.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <csignal>
#include <unistd.h>

#include "attachedunits.h"

void UnitProcess::Child::setupChildProcess()
{
    // A group of its own: the terminal's Ctrl-C reaches the batch alone,
    // which hands it on once, so that a child never takes one Ctrl-C as two.
    setpgid(0, 0);
    // A Ctrl-C handed on before zyra's handler is in place waits for it
    // (zyra unblocks SIGINT then) instead of killing the child unheard.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, nullptr);
}

UnitProcess::UnitProcess(const QString &port, const QString &serial, const QStringList &arguments, QObject *parent)
    : QObject(parent), arguments_(arguments)
{
    state_.port = port;
    state_.serial = serial;
    connect(&process_, &QProcess::readyReadStandardOutput, this, &UnitProcess::readEvents);
    connect(&process_, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &UnitProcess::onFinished);
}

UnitProcess::~UnitProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    // Never left behind: a child outliving its batch would go on unseen.
    process_.kill();
    process_.waitForFinished(5000);
}

void UnitProcess::start()
{
    clock_.start();
    state_.step = "Starting";
    process_.start(QCoreApplication::applicationFilePath(),
                   arguments_ + QStringList{"--unit", state_.port, "--json", "--yes"});
}

bool UnitProcess::running() const
{
    return process_.state() != QProcess::NotRunning;
}

void UnitProcess::interrupt()
{
    const auto pid = static_cast<pid_t>(process_.processId());
    if (running() && pid > 0)
        ::kill(pid, SIGINT);
}

void UnitProcess::readEvents()
{
    while (process_.canReadLine()) {
        const QJsonDocument line = QJsonDocument::fromJson(process_.readLine());
        if (line.isObject())
            take(line.object());
    }
}

void UnitProcess::take(QJsonObject event)
{
    const QString name = event.value("event").toString();
    // The child names its unit once it has read it; the serial read then
    // replaces the listing's.
    const QString serial = event.value("serial").toString();
    if (!serial.isEmpty() && serial != attachedunits::unknown)
        state_.serial = serial;
    event.insert("port", state_.port);
    event.insert("serial", state_.serial);
    if (name == "step") {
        state_.step = event.value("text").toString();
        state_.percent = 0;
        state_.waiting.clear();
    } else if (name == "progress") {
        state_.percent = event.value("percent").toInt();
        state_.waiting.clear();
    } else if (name == "waiting") {
        state_.waiting = QString("%1, %2 s").arg(event.value("for").toString()).arg(event.value("seconds").toInt());
    } else if (name == "detected") {
        state_.versionBefore = event.contains("version")
                                   ? event.value("version").toString()
                                   : event.value("application").toString() + " / " + event.value("radio").toString();
        installs_ = event.value("installs").toString();
    } else if (name == "error") {
        state_.code = event.value("code").toInt();
        state_.message = event.value("message").toString();
    } else if (name == "done") {
        succeeded_ = true;
        state_.versionAfter = installs_;
    }
    emit this->event(event);
}

void UnitProcess::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readEvents();
    state_.elapsedMs = clock_.elapsed();
    state_.waiting.clear();
    // A Ctrl-C handed on as the child was ending does not undo its update.
    if (succeeded_ || (status == QProcess::NormalExit && exitCode == 0)) {
        state_.result = "success";
        state_.percent = 100;
    } else {
        state_.result = status == QProcess::NormalExit && exitCode == 130 ? "stopped" : "failed";
        if (state_.code == 0)
            state_.code = status == QProcess::NormalExit ? exitCode : 1;
        if (state_.message.isEmpty())
            state_.message = QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
    }
    emit finished();
}
