// The radio stage: waiting for the unit after the video module started,
// then the application (Radio 1) and MAC (Radio 2) images.
#include "updaterthread.h"

#include "devicetypes.h"
#include "firmwarepackage.h"
#include "stepmessages.h"
#include "unitconnection.h"
#include "usercells.h"
#include "workerclock.h"

#include <QDebug>

namespace {

const int reconnectAttempts = 11;
const int reconnectPauseSeconds = 6;
const int restartSettleSeconds = 2;
const int milestoneProgress = 1000;
// Step codes of a failed update after which the unit is off the bus: a
// failed restart, or a failed reconnect to the bootloader or data send.
const uint8_t restartFailed = 17;
const uint8_t unitDropped = 6;

void *forwardProgress(char *, int percent, void *worker)
{
    emit static_cast<UpdaterThread *>(worker)->valueChanged(percent);
    return nullptr;
}

bool unitLost(const vx_zyra_t *handle)
{
    return handle->error == restartFailed || handle->error == unitDropped;
}

// A 2K receiver reports regions 7 to 9 that the update carries over as 2 to 4.
uint8_t regionKeptBy2KReceiver(uint8_t region)
{
    switch (region) {
    case 7:
        return 2;
    case 8:
        return 3;
    case 9:
        return 4;
    default:
        return region;
    }
}

} // namespace

QString UpdaterThread::namedImage(const QString &side, const QString &key, const QString &headline, int iniMissingCode)
{
    const FirmwarePackage package(deviceType);
    if (!package.hasFirmwareIni()) {
        fail(headline, iniMissingCode);
        return {};
    }
    const QString image = package.imageName(side, key);
    if (!package.hasFile(image)) {
        fail(headline, iniMissingCode + 1);
        return {};
    }
    return image;
}

void UpdaterThread::reconnect2Device()
{
    qDebug() << "trying to reconnect";
    if (connectWithPauses(handle, reconnectAttempts, reconnectPauseSeconds) != 0) {
        emit startRecoveryMode(1);
        return;
    }
    if (vx_zyra_get_info(handle) != 0) {
        emit startRecoveryMode(0);
        return;
    }
    emit valueChanged(milestoneProgress);
    emit finished();
}

void UpdaterThread::updateAPPFW()
{
    const FirmwarePackage package(deviceType);
    const bool writesRecoveryImage = recoveryMode && !DeviceTypes::is2K(deviceType);
    if (!packageIsSound(false, writesRecoveryImage))
        return;

    vx_zyra_system_restart(handle);
    workerclock::sleepSeconds(restartSettleSeconds);
    if (vx_zyra_get_info(handle) != 0)
        qDebug() << "ERROR READING ZYRA INFO";
    const QString side = sideText(handle->side);
    if (side.isEmpty()) {
        emit startRecoveryMode(0);
        return;
    }

    usercells::read(handle, usercells::regionId, &region, usercells::regionBytes);
    if (deviceType == DeviceTypes::TwoKReceiver)
        region = regionKeptBy2KReceiver(region);
    qDebug() << "READ REGION =" << region;
    if (DeviceTypes::is2K(deviceType)) {
        usercells::read(handle, usercells::frequencyChannelsId(handle->side), frequencyChannels,
                        usercells::frequencyChannelsBytes);
        usercells::read(handle, usercells::transmissionModeId(handle->side), &transmissionMode,
                        usercells::transmissionModeBytes);
    }

    const QString image = namedImage(side, "app", stepmessages::radio1Failed, 21);
    if (image.isEmpty())
        return;
    QByteArray path = package.nativePath(writesRecoveryImage ? FirmwarePackage::recoveryImageName(side) : image).toLocal8Bit();
    qDebug() << "UPDATING APP FW" << path;
    if (vx_zyra_update_app(handle, path.data(), forwardProgress, this) == 0) {
        emit finished();
        return;
    }
    qDebug() << "APP FW UPDATE FAILED:" << handle->error_msg << "step" << handle->error;
    if (unitLost(handle)) {
        closeLostUnit();
        emit startRecoveryMode(1);
    } else {
        emit startRecoveryMode(0);
    }
}

void UpdaterThread::updateMACFW()
{
    if (vx_zyra_get_info(handle) != 0)
        qDebug() << "ERROR READING ZYRA INFO";
    const QString side = sideText(handle->side);
    if (side.isEmpty()) {
        fail(QString(" ") + stepmessages::radio2Failed, 30);
        return;
    }
    const QString image = namedImage(side, "mac", stepmessages::radio2Failed, 31);
    if (image.isEmpty())
        return;
    QByteArray path = FirmwarePackage(deviceType).nativePath(image).toLocal8Bit();
    qDebug() << "UPDATING MAC FW" << path;
    if (vx_zyra_update_mac(handle, path.data(), forwardProgress, this) == 0) {
        emit finished();
        return;
    }
    qDebug() << "MAC FW UPDATE FAILED:" << handle->error_msg << "step" << handle->error;
    if (unitLost(handle)) {
        closeLostUnit();
        // 336 tells the main window that the unit is no longer connected.
        emit error(QString(stepmessages::radio2Failed) + "\n\nError Code: 34", 336);
    } else {
        fail(stepmessages::radio2Failed, 33);
    }
}
