#include "workspace.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include "devicetypes.h"
#include "zyra_sim/bus.h"

namespace guitest {

namespace {

bool copyDirectory(const QString &from, const QString &to)
{
    const QStringList names = QDir(from).entryList(QDir::Files);
    bool ok = QDir().mkpath(to) && !names.isEmpty();
    for (const QString &name : names)
        ok = QFile::copy(from + "/" + name, to + "/" + name) && ok;
    return ok;
}

}  // namespace

Workspace::Workspace()
{
    valid = directory.isValid() && copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware", path("firmware")) &&
            copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware2k", path("firmware2k")) && QDir().mkpath(path("utils")) &&
            QFile::link(ZYRA_DFU_STANDIN, path("utils/dfu-programmer")) && QDir().mkpath(path("state")) &&
            QDir().mkpath(path("empty-bin"));
    // Nothing on PATH: an installed dfu-programmer must never be found.
    previousPath = qgetenv("PATH");
    qputenv("PATH", path("empty-bin").toLocal8Bit());
    qputenv("ZYRA_SIM_STATE_DIR", path("state").toLocal8Bit());
    previousDirectory = QDir::currentPath();
    QDir::setCurrent(directory.path());
    zyra_sim::Bus::instance().reset();
    zyra_sim::Bus::instance().setStateDir(path("state").toStdString());
}

Workspace::~Workspace()
{
    zyra_sim::Bus::instance().reset();
    QDir::setCurrent(previousDirectory);
    qputenv("PATH", previousPath);
    qunsetenv("ZYRA_SIM_STATE_DIR");
}

QString Workspace::path(const QString &relative) const
{
    return directory.filePath(relative);
}

bool Workspace::removeFile(const QString &relative)
{
    return QFile::remove(path(relative));
}

bool Workspace::writeFile(const QString &relative, const QByteArray &content)
{
    QFile file(path(relative));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

std::shared_ptr<zyra_sim::VirtualUnit> Workspace::prepareUnit(int deviceType, bool withRadio)
{
    if (DeviceTypes::hasVideoModule(deviceType)) {
        std::vector<uint8_t> flash(zyra_dfu::applicationFlashBytes, 0xFF);
        const char marker[] = "FWv1.3";
        std::copy(marker, marker + sizeof marker, flash.begin() + 0x1DE00);
        xmega().setFlash(flash);
        xmega().setMode(zyra_dfu::Mode::Dfu);
    }
    return withRadio ? attachRadio(deviceType) : nullptr;
}

std::shared_ptr<zyra_sim::VirtualUnit> Workspace::attachRadio(int deviceType)
{
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(DeviceTypes::isTransmitter(deviceType) ? 1 : 2);
    zyra_sim::Bus::instance().attach(unit);
    return unit;
}

zyra_dfu::XmegaState Workspace::xmega() const
{
    return zyra_dfu::XmegaState(path("state").toStdString());
}

}  // namespace guitest
