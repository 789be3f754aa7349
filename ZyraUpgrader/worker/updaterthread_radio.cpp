// The radio stage: waiting for the unit after the video module started,
// then the application (Radio 1) and MAC (Radio 2) images.
#include "updaterthread.h"

#include "devicetypes.h"
#include "firmwarepackage.h"
#include "signoflife.h"
#include "stepmessages.h"
#include "unitconnection.h"
#include "usercells.h"
#include "workerclock.h"
#include "workererrors.h"

#include <QDebug>

namespace {

const int reconnectAttempts = 11;
const int reconnectPauseSeconds = 6;
const int restartSettleSeconds = 2;
const int milestoneProgress = 1000;

void *forwardProgress(char *, int percent, void *worker)
{
    emit static_cast<UpdaterThread *>(worker)->valueChanged(percent);
    return nullptr;
}

// Failed updates after which the unit is off the bus: a failed restart, or
// a failed reconnect to the bootloader (application) or data send (MAC).
bool unitLostByAppUpdate(const vx_zyra_t *handle)
{
    return handle->error == VX_ZYRA_APP_RESTART_FAILED || handle->error == VX_ZYRA_APP_BOOTLOADER_LOST;
}

bool unitLostByMacUpdate(const vx_zyra_t *handle)
{
    return handle->error == VX_ZYRA_MAC_RESTART_FAILED || handle->error == VX_ZYRA_MAC_BLOCK_SEND_FAILED;
}

}  // namespace

QString UpdaterThread::namedImage(const QString &side, const QString &key, const QString &headline, int iniMissingCode,
                                  int imageMissingCode)
{
    const FirmwarePackage package(deviceType);
    if (!package.hasFirmwareIni()) {
        fail(headline, iniMissingCode);
        return {};
    }
    const QString image = package.imageName(side, key);
    if (!package.hasFile(image)) {
        fail(headline, imageMissingCode);
        return {};
    }
    return image;
}

void UpdaterThread::reconnect2Device()
{
    // The unit is still to come back after its video module started, or
    // after the recovery procedure.
    if (!chosenUnitIsSound(true))
        return;
    const Waiting waiting(*signOfLife_, stepmessages::waitingForUnitBack);
    qDebug() << "trying to reconnect";
    if (connectWithPauses(handle, unitPort_, reconnectAttempts, reconnectPauseSeconds) != VX_ZYRA_OK) {
        emit startRecoveryMode(workererrors::recoveryUnitUnreachable);
        return;
    }
    if (vx_zyra_get_info(handle) != VX_ZYRA_OK) {
        emit startRecoveryMode(workererrors::recoveryUnitOpen);
        return;
    }
    emit valueChanged(milestoneProgress);
    emit finished();
}

void UpdaterThread::updateAPPFW()
{
    if (!chosenUnitIsSound())
        return;
    const FirmwarePackage package(deviceType);
    const bool writesRecoveryImage = recoveryMode && !DeviceTypes::is2K(deviceType);
    if (!packageIsSound(false, writesRecoveryImage))
        return;

    const Waiting waiting(*signOfLife_, stepmessages::waitingForUnit);
    {
        const Waiting restart(*signOfLife_, stepmessages::waitingForUnitBack);
        vx_zyra_system_restart(handle);
        workerclock::sleepSeconds(restartSettleSeconds);
    }
    if (vx_zyra_get_info(handle) != VX_ZYRA_OK)
        qDebug() << "ERROR READING ZYRA INFO";
    const QString side = sideText(handle->side);
    if (side.isEmpty()) {
        // A unit that did not come back from the restart has its handle closed.
        emit startRecoveryMode(handle->devh ? workererrors::recoveryUnitOpen : workererrors::recoveryUnitUnreachable);
        return;
    }

    uint8_t regionRead = 0;
    cellsUnanswered_ = false;
    regionSaved = readUserCell(usercells::regionId, &regionRead, usercells::regionBytes);
    if (regionSaved == usercells::Read::value)
        region = usercells::regionCarriedOver(deviceType, regionRead);
    qDebug() << "READ REGION =" << region;
    // A value not read here is read again by updateStorage, after the update.
    if (DeviceTypes::is2K(deviceType)) {
        frequencyChannelsSaved = readUserCell(usercells::frequencyChannelsId(handle->side), frequencyChannels,
                                              usercells::frequencyChannelsBytes);
        transmissionModeSaved = readUserCell(usercells::transmissionModeId(handle->side), &transmissionMode,
                                             usercells::transmissionModeBytes);
    }

    const QString image = namedImage(side, "app", stepmessages::radio1Failed, workererrors::radio1IniMissing,
                                     workererrors::radio1ImageBad);
    if (image.isEmpty())
        return;
    QByteArray path =
        package.nativePath(writesRecoveryImage ? FirmwarePackage::recoveryImageName(side) : image).toLocal8Bit();
    qDebug() << "UPDATING APP FW" << path;
    if (vx_zyra_update_app(handle, path.data(), forwardProgress, this) == VX_ZYRA_OK) {
        emit finished();
        return;
    }
    qDebug() << "APP FW UPDATE FAILED:" << handle->error_msg << "step" << handle->error;
    if (handle->error == VX_ZYRA_APP_NO_BOOT_AGENT) {
        // Not a state a recovery mends: the same unit meets the same build.
        fail(QString("%1\n\n%2").arg(stepmessages::radio1Failed, handle->error_msg),
             workererrors::radio1BootAgentMissing);
        return;
    }
    if (unitLostByAppUpdate(handle)) {
        closeLostUnit();
        emit startRecoveryMode(workererrors::recoveryUnitUnreachable);
    } else {
        emit startRecoveryMode(workererrors::recoveryUnitOpen);
    }
}

void UpdaterThread::updateMACFW()
{
    const Waiting waiting(*signOfLife_, stepmessages::waitingForUnit);
    if (vx_zyra_get_info(handle) != VX_ZYRA_OK)
        qDebug() << "ERROR READING ZYRA INFO";
    const QString side = sideText(handle->side);
    if (side.isEmpty()) {
        fail(QString(" ") + stepmessages::radio2Failed, workererrors::radio2SideUnknown);
        return;
    }
    const QString image = namedImage(side, "mac", stepmessages::radio2Failed, workererrors::radio2IniMissing,
                                     workererrors::radio2ImageBad);
    if (image.isEmpty())
        return;
    QByteArray path = FirmwarePackage(deviceType).nativePath(image).toLocal8Bit();
    qDebug() << "UPDATING MAC FW" << path;
    if (vx_zyra_update_mac(handle, path.data(), forwardProgress, this) == VX_ZYRA_OK) {
        emit finished();
        return;
    }
    qDebug() << "MAC FW UPDATE FAILED:" << handle->error_msg << "step" << handle->error;
    // The radio is left in its bootloader, which nothing but a loss of power
    // ends: nothing more is sent to the unit.
    const QString advised = QString("%1\n\n%2").arg(stepmessages::radio2Failed, stepmessages::powerCycleAdvice);
    if (unitLostByMacUpdate(handle)) {
        closeLostUnit();
        fail(advised, workererrors::radio2UnitGoneShown, workererrors::radio2UnitGone);
    } else {
        fail(advised, workererrors::radio2UpdateFailed);
    }
}
