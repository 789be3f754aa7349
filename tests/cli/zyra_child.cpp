#include "zyra_child.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

Bench::Bench(bool videoModule)
{
    copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware", path("firmware"));
    copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware2k", path("firmware2k"));
    QDir().mkpath(path("utils"));
    QFile::link(ZYRA_DFU_STANDIN, path("utils/dfu-programmer"));
    QDir().mkpath(path("state"));
    QDir().mkpath(path("no-tools"));
    if (!videoModule)
        return;
    QByteArray flash(0x1E000, '\xFF');
    flash.replace(0x1DE00, 7, QByteArray("FWv1.3", 7));
    write("state/xmega.flash", flash);
    write("state/xmega.mode", "dfu\n");
    // A flasher that validates the EEPROM against the EEPROM (0.6.1 reads the flash: HACKING.md).
    write("state/dfu.eeprom-readback", "eeprom\n");
}

QString Bench::path(const QString &relative) const
{
    return folder_.filePath(relative);
}

void Bench::write(const QString &relative, const QByteArray &content) const
{
    QFile file(path(relative));
    QDir().mkpath(QFileInfo(file).path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QProcessEnvironment Bench::environment(const QString &side, const QStringList &variables) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", path("no-tools"));
    env.insert("LD_PRELOAD", ZYRA_SIM_DROPIN);
    env.insert("ZYRA_SIM_SIDE", side);
    env.insert("ZYRA_SIM_STATE_DIR", path("state"));
    env.insert("ZYRA_SIM_REALTIME", "0");
    // The history goes to the bench, never to the user's own.
    env.insert("XDG_STATE_HOME", path("state-home"));
    env.insert("QT_LOGGING_RULES", "*.debug=false");
    for (const QString &variable : variables)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    return env;
}

QStringList Bench::arguments(const QStringList &given) const
{
    return given + QStringList{"--package", folder_.path()};
}

Outcome Bench::run(const QStringList &arguments, const QString &side, const QStringList &variables) const
{
    QProcess zyra;
    zyra.setProcessEnvironment(environment(side, variables));
    zyra.start(ZYRA_CLI, this->arguments(arguments));
    zyra.closeWriteChannel();
    Outcome outcome;
    if (!zyra.waitForFinished(20000))
        return outcome;
    outcome.status = zyra.exitStatus() == QProcess::NormalExit ? zyra.exitCode() : -1;
    outcome.standardError = QString::fromLocal8Bit(zyra.readAllStandardError());
    for (const QByteArray &line : zyra.readAllStandardOutput().split('\n'))
        addEvent(line, outcome);
    return outcome;
}

void addEvent(const QByteArray &line, Outcome &outcome)
{
    if (line.trimmed().isEmpty())
        return;
    const QJsonObject event = QJsonDocument::fromJson(line).object();
    const QString name = event.value("event").toString();
    EXPECT_FALSE(name.isEmpty()) << "not a JSON event: " << line.constData();
    const QString unit = event.value("port").toString() + " " + event.value("serial").toString().left(14);
    if (name != "unit" && event.contains("port") && !outcome.units.contains(unit))
        outcome.units << unit;
    if (name == "step")
        outcome.events << "step: " + event.value("text").toString();
    else if (name == "detected") {
        QStringList found;
        for (const char *key : {"version", "application", "radio", "installs"})
            if (event.contains(key))
                found << QString("%1 %2").arg(key, event.value(key).toString());
        outcome.events << "detected: " + found.join(", ");
    } else if (name == "unit") {
        QStringList fields;
        for (const char *key : {"port", "state", "side", "serial", "app_version", "mac_version"})
            fields << event.value(key).toString().left(14);
        outcome.events << "unit: " + fields.join(' ');
    } else if (name == "done" && event.contains("side"))
        outcome.events << QString("done: %1 %2, %3, serial %4, boot agents %5")
                              .arg(event.value("port").toString(), event.value("side").toString(),
                                   event.value("signature").toString(), event.value("serial").toString().left(14),
                                   event.value("boot_agents").toString());
    else if (name == "done" && event.contains("channels")) {
        QStringList channels;
        for (const QJsonValue &item : event.value("channels").toArray()) {
            const QJsonObject channel = item.toObject();
            channels << QString("%1 %2%3")
                            .arg(channel.value("mhz").toInt())
                            .arg(channel.value("on").toBool() ? "on" : "off")
                            .arg(channel.value("dfs").toBool() ? " DFS" : "");
        }
        outcome.events << "done: " + channels.join(", ");
    } else if (name == "done" && event.contains("value"))
        outcome.events << "done: " + event.value("value").toString();
    else if (name == "note")
        outcome.events << "note: " + event.value("text").toString();
    else if (name == "waiting")
        outcome.waits << QString("%1, %2").arg(event.value("for").toString()).arg(event.value("seconds").toInt());
    else if (name == "error")
        outcome.events << QString("error: %1").arg(event.value("code").toInt());
    else if (name == "progress") {
        const int percent = event.value("percent").toInt();
        EXPECT_EQ(percent, event.value("value").toInt() * 100 / event.value("total").toInt());
        if (outcome.events.isEmpty() || outcome.events.last() != "progress")
            outcome.events << "progress";
    } else
        outcome.events << name;
}
