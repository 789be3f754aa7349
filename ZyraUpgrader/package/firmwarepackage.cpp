#include "firmwarepackage.h"

#include "devicetypes.h"
#include "imagechecks.h"

#include "vx_zyra.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <string>

namespace {

const char firmwareIni[] = "firmware.ini";

} // namespace

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

FirmwarePackage::BadImage FirmwarePackage::checkImages(bool withXmegaImage, bool withRecoveryImages) const
{
    using Check = std::string (*)(std::string_view);
    struct Image {
        QString name;
        Check check;
        BadImage kind;
    };
    QVector<Image> images;
    if (withXmegaImage)
        images.append({xmegaImageFile, imagechecks::xmegaFault, BadImage::xmega});
    const QStringList sides{"TX", "RX"};
    if (hasFirmwareIni()) {
        for (const QString &side : sides)
            images.append({imageName(side, "app"), imagechecks::radioApplicationFault, BadImage::application});
    }
    if (withRecoveryImages) {
        for (const QString &side : sides)
            images.append({recoveryImageName(side), imagechecks::radioApplicationFault, BadImage::application});
    }
    if (hasFirmwareIni()) {
        for (const QString &side : sides)
            images.append({imageName(side, "mac"), imagechecks::macFault, BadImage::mac});
    }
    for (const Image &image : images) {
        if (!hasFile(image.name))
            continue;
        QFile file(nativePath(image.name));
        if (!file.open(QIODevice::ReadOnly)) {
            qDebug() << "CANNOT READ" << file.fileName();
            return image.kind;
        }
        const QByteArray content = file.readAll();
        const std::string fault = image.check(std::string_view(content.constData(), static_cast<size_t>(content.size())));
        if (!fault.empty()) {
            qDebug() << "BAD IMAGE" << file.fileName() << fault.c_str();
            return image.kind;
        }
    }
    return BadImage::none;
}
