#include "zyracommsthread.h"

#include "transmissionmode.h"
#include "unitbench.h"
#include "unitconnection.h"
#include "usercells.h"
#include "workererrors.h"

#include <QDebug>
#include <QMutexLocker>

using workererrors::commsTaskFailed;
using workererrors::commsTaskOk;

ZyraCommsThread::ZyraCommsThread(QObject *parent) : QObject(parent)
{
}

void ZyraCommsThread::setUnitPort(const QString &portPath)
{
    unitPort = portPath;
}

void ZyraCommsThread::startTask(int action)
{
    if (isBusy())
        return;
    {
        QMutexLocker locker(&lock);
        busy = true;
        cancelRequested = false;
    }
    taskAction = action;
    emit threadStartRequested();
}

void ZyraCommsThread::requestCancel()
{
    QMutexLocker locker(&lock);
    if (busy)
        cancelRequested = true;
}

void ZyraCommsThread::clearState()
{
    QMutexLocker locker(&lock);
    busy = false;
    cancelRequested = false;
}

bool ZyraCommsThread::isBusy() const
{
    QMutexLocker locker(&lock);
    return busy;
}

bool ZyraCommsThread::cancelled() const
{
    QMutexLocker locker(&lock);
    return cancelRequested;
}

void ZyraCommsThread::threadTask()
{
    const int action = taskAction;
    // A task stopped forcibly may have left its session open.
    if (handle.devh != nullptr)
        vx_zyra_disconnect(&handle);

    int status = commsTaskFailed;
    const UnitBench::Fault fault = UnitBench::attached().fault(unitPort);
    if (fault.headline) {
        qDebug() << fault.headline;
        status = fault.errorCode;
    } else if (connectUnit(&handle, unitPort) == VX_ZYRA_OK) {
        status = runAction(action);
        vx_zyra_disconnect(&handle);
    }

    if (!cancelled())
        emit threadSignal(action, status);
    {
        QMutexLocker locker(&lock);
        busy = false;
    }
    emit threadStopped();
}

int ZyraCommsThread::runAction(int action)
{
    switch (action) {
    case TASK_READ_MODE:
        return readMode();
    case TASK_READ_REGION:
        return readRegion();
    case TASK_READ_FREQUENCY_SETTINGS:
        return readFrequencySettings();
    case TASK_WRITE_MODE:
        return writeMode(false);
    case TASK_WRITE_REGION:
        return writeRegion();
    case TASK_WRITE_FREQUENCY_CHANNELS:
        return writeFrequencyChannels();
    case TASK_PREPARE_TX_PAIRING:
        return prepareTxPairing();
    case TASK_WRITE_MODE_AND_RESTART:
        return writeMode(true);
    case TASK_READ_IDENTITY:
        return readIdentity();
    default:
        return commsTaskFailed;
    }
}

bool ZyraCommsThread::loadMode()
{
    const usercells::Read found = usercells::read(&handle, usercells::transmissionModeId(handle.side),
                                                  &transmissionMode, usercells::transmissionModeBytes);
    transmissionModeUnset = found == usercells::Read::unset;
    if (found == usercells::Read::unreadable)
        return false;
    qDebug("READ TRANSMISSION MODE = %d", transmissionMode);
    return true;
}

bool ZyraCommsThread::loadRegion()
{
    const usercells::Read found = usercells::read(&handle, usercells::regionId, &region, usercells::regionBytes);
    regionUnset = found == usercells::Read::unset;
    if (found == usercells::Read::unreadable)
        return false;
    qDebug("READ REGION = %d", region);
    return true;
}

int ZyraCommsThread::readMode()
{
    if (cancelled() || vx_zyra_get_info(&handle) != VX_ZYRA_OK || !loadMode())
        return commsTaskFailed;
    return commsTaskOk;
}

int ZyraCommsThread::readIdentity()
{
    if (cancelled() || vx_zyra_get_info(&handle) != VX_ZYRA_OK || vx_zyra_board_serial(&handle) != VX_ZYRA_OK)
        return commsTaskFailed;
    return commsTaskOk;
}

int ZyraCommsThread::readRegion()
{
    return cancelled() || !loadRegion() ? commsTaskFailed : commsTaskOk;
}

int ZyraCommsThread::readFrequencySettings()
{
    // A region never set has no channel plan to show.
    if (vx_zyra_get_info(&handle) != VX_ZYRA_OK || !loadRegion() || regionUnset || !loadMode())
        return commsTaskFailed;
    if (usercells::read(&handle, usercells::frequencyChannelsId(handle.side), frequencyChannels,
                        usercells::frequencyChannelsBytes) == usercells::Read::unreadable)
        return commsTaskFailed;
    qDebug("READ FREQUENCY CHANNELS = %s",
           qPrintable(usercells::hex(frequencyChannels, usercells::frequencyChannelsBytes)));
    return commsTaskOk;
}

int ZyraCommsThread::writeMode(bool restartAfter)
{
    if (vx_zyra_get_info(&handle) != VX_ZYRA_OK)
        return commsTaskFailed;
    const uint16_t modeId = usercells::transmissionModeId(handle.side);
    uint8_t stored = 0;
    const usercells::Read found = usercells::read(&handle, modeId, &stored, usercells::transmissionModeBytes);
    if (found == usercells::Read::unreadable)
        return commsTaskFailed;
    qDebug("READ TRANSMISSION MODE = %d", stored);
    if (found == usercells::Read::value && stored == transmissionMode)
        return commsTaskOk;
    if (vx_zyra_storage_set(&handle, modeId, &transmissionMode, usercells::transmissionModeBytes) != VX_ZYRA_OK)
        return commsTaskFailed;
    qDebug("WRITE TRANSMISSION MODE = %d", transmissionMode);
    return restartAfter ? vx_zyra_system_restart(&handle) : commsTaskOk;
}

int ZyraCommsThread::writeRegion()
{
    uint8_t stored = 0;
    const usercells::Read found = usercells::read(&handle, usercells::regionId, &stored, usercells::regionBytes);
    if (found == usercells::Read::unreadable)
        return commsTaskFailed;
    qDebug("READ REGION = %d", stored);
    if ((found == usercells::Read::unset || stored != region) &&
        vx_zyra_storage_set(&handle, usercells::regionId, &region, usercells::regionBytes) != VX_ZYRA_OK)
        return commsTaskFailed;
    qDebug("WRITE REGION = %d", region);
    return commsTaskOk;
}

int ZyraCommsThread::writeFrequencyChannels()
{
    if (vx_zyra_get_info(&handle) != VX_ZYRA_OK)
        return commsTaskFailed;
    uint8_t stored = 0;
    if (usercells::read(&handle, usercells::regionId, &stored, usercells::regionBytes) != usercells::Read::value)
        return commsTaskFailed;
    qDebug("READ REGION = %d", stored);
    // A channel list only means something within the plan of the region it
    // was chosen for.
    if (stored != region)
        return commsTaskFailed;
    if (vx_zyra_storage_set(&handle, usercells::frequencyChannelsId(handle.side), frequencyChannels,
                            usercells::frequencyChannelsBytes) != VX_ZYRA_OK)
        return commsTaskFailed;
    qDebug("WRITE FREQUENCY CHANNELS = %s",
           qPrintable(usercells::hex(frequencyChannels, usercells::frequencyChannelsBytes)));
    return commsTaskOk;
}

int ZyraCommsThread::prepareTxPairing()
{
    vx_zyra_get_info(&handle);
    if (handle.side != VX_ZYRA_TX)
        return commsTaskFailed;
    if (!loadMode())
        return commsTaskFailed;
    if (transmissionMode != transmissionmode::unicast) {
        uint8_t forced = transmissionmode::unicast;
        if (vx_zyra_storage_set(&handle, usercells::transmissionModeId(VX_ZYRA_TX), &forced,
                                usercells::transmissionModeBytes) != VX_ZYRA_OK)
            return commsTaskFailed;
        qDebug("WRITE TRANSMISSION MODE = %d", forced);
        // A stored mode takes effect only when the unit starts.
        if (vx_zyra_system_restart(&handle) != VX_ZYRA_OK)
            return commsTaskFailed;
    }
    return vx_zyra_start_registration(&handle) == VX_ZYRA_OK ? commsTaskOk : commsTaskFailed;
}
