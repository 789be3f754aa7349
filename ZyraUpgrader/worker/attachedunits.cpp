#include "attachedunits.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include "unitbench.h"
#include "unitversions.h"
#include "vx_zyra.h"

namespace attachedunits {

const char application[] = "application";
const char bootloader[] = "bootloader";
const char videoModuleDfu[] = "video-module-dfu";
const char unknown[] = "unknown";

namespace {

// IS_BOOTLDR, the one question both the application and the bootloader
// answer with what is running.
constexpr uint8_t isBootloaderCode = 0x94;
constexpr int answerTimeoutSeconds = 2;

// The running firmware as IS_BOOTLDR tells it.
QString runningFirmware(vx_zyra_t &handle)
{
    uint8_t frame[8] = {0, 0, isBootloaderCode, 0};
    if (vx_zyra_send_cmd(handle.devh, frame, answerTimeoutSeconds) != VX_ZYRA_OK)
        return unknown;
    uint8_t answer[64] = {isBootloaderCode};
    size_t length = sizeof answer;
    if (vx_zyra_recv_cmd(handle.devh, answer, &length, answerTimeoutSeconds) != VX_ZYRA_OK || length == 0)
        return unknown;
    // The application answers one byte, or a leading zero.
    return length == 1 || answer[0] == 0 ? application : bootloader;
}

QString sideName(uint8_t side)
{
    return side == VX_ZYRA_TX ? "tx" : side == VX_ZYRA_RX ? "rx" : unknown;
}

Unit readUnit(const QString &port)
{
    Unit unit{port, unknown, unknown, unknown, unknown, unknown};
    vx_zyra_t handle{};
    if (vx_zyra_connect_port(&handle, port.toLatin1().constData()) != VX_ZYRA_OK) {
        qDebug() << "listing: not opened" << port << handle.error_msg;
        return unit;
    }
    unit.state = runningFirmware(handle);
    if (unit.state == application) {
        vx_zyra_get_info(&handle);
        if (vx_zyra_board_serial(&handle) == VX_ZYRA_OK && !unitversions::serial(handle).isEmpty())
            unit.serial = unitversions::serial(handle);
        unit.appVersion = unitversions::application(handle);
        unit.macVersion = unitversions::radio(handle);
    } else if (unit.state == bootloader) {
        vx_zyra_get_side(&handle);
    }
    unit.side = sideName(handle.side);
    vx_zyra_disconnect(&handle);
    return unit;
}

}  // namespace

QList<Unit> list(const QString &onlyReading)
{
    const UnitBench bench = UnitBench::attached();
    QList<Unit> found;
    for (const QString &port : bench.radios()) {
        const bool read = onlyReading.isEmpty() || port == onlyReading;
        found << (read ? readUnit(port) : Unit{port, unknown, unknown, unknown, unknown, unknown});
    }
    // A module in its bootloader tells nothing over USB; dfu-programmer
    // would have to read its flash.
    for (const QString &port : bench.modules())
        found << Unit{port, videoModuleDfu, unknown, unknown, unknown, unknown};
    return found;
}

bool isPortPath(const QString &text)
{
    static const QRegularExpression portPath("^\\d+-\\d+(\\.\\d+)*$");
    return portPath.match(text).hasMatch();
}

bool several(const QList<Unit> &units)
{
    QSet<QString> hubs;
    for (const Unit &unit : units)
        hubs.insert(UnitBench::hubOf(unit.port));
    return hubs.size() > 1;
}

QString describe(const Unit &unit)
{
    if (unit.state == videoModuleDfu)
        return QString("%1, video module in its bootloader").arg(unit.port);
    QString text = QString("%1, %2, serial %3, application %4, radio %5")
                       .arg(unit.port, unit.side, unit.serial, unit.appVersion, unit.macVersion);
    if (unit.state != application)
        text += unit.state == bootloader ? ", radio in its bootloader" : ", not readable";
    return text;
}

QString portOf(const QList<Unit> &units, const QString &portOrSerial, QString *error)
{
    QStringList bySerial;
    for (const Unit &unit : units) {
        if (unit.port == portOrSerial)
            return unit.port;
        if (unit.serial != unknown && unit.serial == portOrSerial)
            bySerial << unit.port;
    }
    if (bySerial.size() == 1)
        return bySerial.first();
    if (!bySerial.isEmpty())
        *error = QString("Several attached ZYRA units have the serial %1 (at %2): choose one by its port.")
                     .arg(portOrSerial, bySerial.join(", "));
    else if (isPortPath(portOrSerial))
        *error = QString("No ZYRA unit is attached at the port %1.").arg(portOrSerial);
    else
        *error = QString("No attached ZYRA unit has the serial %1.").arg(portOrSerial);
    return {};
}

}  // namespace attachedunits
