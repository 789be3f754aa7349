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

FirmwarePackage::Fault FirmwarePackage::firstFault(const Run &run) const
{
    if (run.withXmegaImage && !imageIsSound(xmegaImageFile, imagechecks::xmegaFault, true))
        return Fault::xmegaImage;
    if (!hasFirmwareIni())
        return Fault::firmwareIniMissing;
    const QStringList sides{"TX", "RX"};
    for (const QString &side : sides) {
        const bool required = side == run.side;
        if (!imageIsSound(imageName(side, "app"), imagechecks::radioApplicationFault, required))
            return Fault::applicationImage;
        if (run.withRecoveryImages &&
            !imageIsSound(recoveryImageName(side), imagechecks::radioApplicationFault, required))
            return Fault::applicationImage;
    }
    for (const QString &side : sides) {
        if (!imageIsSound(imageName(side, "mac"), imagechecks::macFault, side == run.side))
            return Fault::macImage;
    }
    if (!hasFile(run.storageFile))
        return Fault::storageIniMissing;
    QSettings storage(nativePath(run.storageFile), QSettings::IniFormat);
    for (const QString &side : sides) {
        storage.beginGroup("STORAGE_" + side);
        const QString error = readStorageGroup(storage).error;
        storage.endGroup();
        if (!error.isEmpty()) {
            qDebug() << "BAD STORAGE CONFIGURATION:" << error;
            return Fault::storageValue;
        }
    }
    return Fault::none;
}

bool FirmwarePackage::imageIsSound(const QString &name, ImageCheck check, bool required) const
{
    if (!hasFile(name)) {
        if (required)
            qDebug() << "MISSING IMAGE" << nativePath(name);
        return !required;
    }
    QFile file(nativePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "CANNOT READ" << file.fileName();
        return false;
    }
    const QByteArray content = file.readAll();
    const std::string fault = check(std::string_view(content.constData(), static_cast<size_t>(content.size())));
    if (!fault.empty()) {
        qDebug() << "BAD IMAGE" << file.fileName() << fault.c_str();
        return false;
    }
    return true;
}
