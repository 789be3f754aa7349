#include "unitversions.h"

#include <QFile>

#include "firmwarepackage.h"

namespace unitversions {

namespace {

// A version the unit did not tell (its answer missing or short) stays all
// zeros in the handle: it is no version to print.
const char untold[] = "unknown";

}  // namespace

QString application(const vx_zyra_t &unit)
{
    const auto &app = unit.version.app;
    if (app.major == 0 && app.minor == 0 && app.debug == 0)
        return untold;
    return QString("%1.%2.%3").arg(app.major).arg(app.minor).arg(app.debug);
}

QString radio(const vx_zyra_t &unit)
{
    const auto &mac = unit.version.mac;
    if (mac.major == 0 && mac.minor == 0 && mac.debug == 0 && mac.build == 0)
        return untold;
    return QString("%1.%2.%3.%4").arg(mac.major).arg(mac.minor).arg(mac.debug).arg(mac.build);
}

QString serial(const vx_zyra_t &unit)
{
    return QString::fromLatin1(unit.serial, static_cast<int>(qstrnlen(unit.serial, sizeof unit.serial))).trimmed();
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
