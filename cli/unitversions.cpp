#include "unitversions.h"

#include <QFile>

#include "firmwarepackage.h"

namespace unitversions {

QString application(const vx_zyra_t &unit)
{
    const auto &app = unit.version.app;
    return QString("%1.%2.%3").arg(app.major).arg(app.minor).arg(app.debug);
}

QString radio(const vx_zyra_t &unit)
{
    const auto &mac = unit.version.mac;
    return QString("%1.%2.%3.%4").arg(mac.major).arg(mac.minor).arg(mac.debug).arg(mac.build);
}

QString withoutPrefix(const QString &version)
{
    const QString text = version.trimmed();
    return text.startsWith('v') ? text.mid(1) : text;
}

QString inPackage(int deviceType)
{
    QFile file(FirmwarePackage(deviceType).nativePath("XMEGA_VERSION"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return withoutPrefix(QString::fromLatin1(file.readLine(64)));
}

}  // namespace unitversions
