#include "firmwarepackage.h"

#include "devicetypes.h"
#include "imagechecks.h"
#include "storageconfig.h"

#include "vx_zyra.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <string>

namespace {

const char firmwareIni[] = "firmware.ini";

}  // namespace

QString sideText(uint8_t side)
{
    if (side == VX_ZYRA_TX)
        return QStringLiteral("TX");
    if (side == VX_ZYRA_RX)
        return QStringLiteral("RX");
    return {};
}

FirmwarePackage::FirmwarePackage(int deviceType)
    : directory_(DeviceTypes::is2K(deviceType) ? QStringLiteral("firmware2k") : QStringLiteral("firmware"))
{
}

bool FirmwarePackage::hasFile(const QString &name) const
{
    return !name.isEmpty() && QFileInfo(QDir(directory_), name).isFile();
}

QString FirmwarePackage::nativePath(const QString &name) const
{
    return QDir::toNativeSeparators(QDir(directory_).absoluteFilePath(name));
}

bool FirmwarePackage::hasFirmwareIni() const
{
    return hasFile(firmwareIni);
}

QString FirmwarePackage::imageName(const QString &side, const QString &key) const
{
    QSettings ini(nativePath(firmwareIni), QSettings::IniFormat);
    ini.beginGroup("FIRMWARE_" + side);
    return ini.value(key, QString()).toString();
}

QString FirmwarePackage::recoveryImageName(const QString &side)
{
    return side == QLatin1String("TX") ? QStringLiteral("app-tx-recovery.hex") : QStringLiteral("app-rx-recovery.hex");
}

FirmwarePackage::Fault FirmwarePackage::firstFault(const Run &run, QString *detail) const
{
    QString found;
    if (detail == nullptr)
        detail = &found;
    if (run.withXmegaImage && !imageIsSound(xmegaImageFile, imagechecks::xmegaFault, true, detail))
        return Fault::xmegaImage;
    if (!hasFirmwareIni()) {
        *detail = fileFault(firmwareIni, "missing");
        return Fault::firmwareIniMissing;
    }
    QStringList sides{run.side};
    if (run.everySide)
        sides = QStringList{"TX", "RX"};
    for (const QString &side : sides) {
        const bool required = side == run.side;
        if (!imageIsSound(imageName(side, "app"), imagechecks::radioApplicationFault, required, detail))
            return Fault::applicationImage;
        if (run.withRecoveryImages &&
            !imageIsSound(recoveryImageName(side), imagechecks::radioApplicationFault, required, detail))
            return Fault::applicationImage;
    }
    for (const QString &side : sides) {
        if (!imageIsSound(imageName(side, "mac"), imagechecks::macFault, side == run.side, detail))
            return Fault::macImage;
    }
    if (!hasFile(run.storageFile)) {
        *detail = fileFault(run.storageFile, "missing");
        return Fault::storageIniMissing;
    }
    QSettings storage(nativePath(run.storageFile), QSettings::IniFormat);
    for (const QString &side : sides) {
        storage.beginGroup("STORAGE_" + side);
        const QString error = readStorageGroup(storage).error;
        storage.endGroup();
        if (!error.isEmpty()) {
            *detail = fileFault(run.storageFile, QString("[STORAGE_%1] %2").arg(side, error));
            qDebug() << "BAD STORAGE CONFIGURATION:" << error;
            return Fault::storageValue;
        }
    }
    return Fault::none;
}

QString FirmwarePackage::fileFault(const QString &name, const QString &what) const
{
    if (name.isEmpty())
        return QString("%1/%2: names no such image for the unit's side").arg(directory_, firmwareIni);
    return QString("%1/%2: %3").arg(directory_, name, what);
}

bool FirmwarePackage::imageIsSound(const QString &name, ImageCheck check, bool required, QString *detail) const
{
    if (!hasFile(name)) {
        if (required) {
            *detail = fileFault(name, "missing");
            qDebug() << "MISSING IMAGE" << nativePath(name);
        }
        return !required;
    }
    QFile file(nativePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        *detail = fileFault(name, "unreadable");
        qDebug() << "CANNOT READ" << file.fileName();
        return false;
    }
    const QByteArray content = file.readAll();
    const std::string fault = check(std::string_view(content.constData(), static_cast<size_t>(content.size())));
    if (!fault.empty()) {
        *detail = fileFault(name, QString::fromStdString(fault));
        qDebug() << "BAD IMAGE" << file.fileName() << fault.c_str();
        return false;
    }
    return true;
}
