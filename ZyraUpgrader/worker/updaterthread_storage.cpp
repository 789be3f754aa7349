// The unit's configuration: the cells of storage.ini and the user's own
// settings carried across an update or a pairing.
#include "updaterthread.h"

#include "signoflife.h"

#include "devicetypes.h"
#include "firmwarepackage.h"
#include "stepmessages.h"
#include "storageconfig.h"
#include "usercells.h"
#include "workerclock.h"
#include "workererrors.h"

#include <QDebug>
#include <QSettings>

namespace {

const int cellWriteAttempts = 7;
const int cellWritePauseSeconds = 5;
const int cellReadPasses = 11;
const int cellReadPauseSeconds = 5;
const int restartSettleSeconds = 2;
const int storageProgress = 1500;
const char configurationReadFailed[] = "Error reading device configuration";
const char writeBackFailed[] = "Error writing back User configuration";

// Reconnects between two passes of a retry loop; false once no later pass
// can succeed: the unit did not come back (its handle is closed), or it came
// back a second time without answering.
class RetryReconnect
{
public:
    explicit RetryReconnect(vx_zyra_t *handle) : handle_(handle) {}
    bool reconnect()
    {
        if (vx_zyra_reconnect(handle_) == VX_ZYRA_OK)
            return true;
        qDebug() << "RECONNECT FAILED:" << handle_->error_msg;
        return handle_->devh != nullptr && ++unanswered_ <= 1;
    }

private:
    vx_zyra_t *handle_;
    int unanswered_ = 0;
};

}  // namespace

int UpdaterThread::modifyStorageCell(vx_zyra_t *zyra, uint16_t key, uint8_t *value, size_t value_len)
{
    int result = 0;
    RetryReconnect retry(zyra);
    for (int attempt = 0; attempt < cellWriteAttempts; ++attempt) {
        result = vx_zyra_storage_set(zyra, key, value, value_len);
        if (result == VX_ZYRA_OK)
            return VX_ZYRA_OK;
        qDebug() << "STORAGE WRITE FAILED, id" << key << "result" << result;
        if (!retry.reconnect())
            break;
        workerclock::sleepSeconds(cellWritePauseSeconds);
    }
    return result;
}

usercells::Read UpdaterThread::readUserCell(uint16_t id, uint8_t *dest, size_t length)
{
    RetryReconnect retry(handle);
    const int passes = cellsUnanswered_ ? 1 : cellReadPasses;
    for (int pass = 0; pass < passes; ++pass) {
        bool answered = false;
        const usercells::Read found = usercells::read(handle, id, dest, length, &answered);
        if (found != usercells::Read::unreadable || answered)
            return found;
        if (pass + 1 == passes || !retry.reconnect())
            break;
        workerclock::sleepSeconds(cellReadPauseSeconds);
    }
    cellsUnanswered_ = true;
    return usercells::Read::unreadable;
}

bool UpdaterThread::captureUserCells(uint8_t side, bool captureAll, usercells::Read regionFound, uint8_t regionRead)
{
    if (captureAll || regionSaved == usercells::Read::unreadable) {
        region = captureAll ? regionRead : usercells::regionCarriedOver(deviceType, regionRead);
        regionSaved = regionFound;
        qDebug() << " -> REGION = " << region;
    }
    if (!DeviceTypes::is2K(deviceType))
        return true;
    if (captureAll || frequencyChannelsSaved == usercells::Read::unreadable) {
        qDebug() << "READ FREQUENCY CHANNELS";
        frequencyChannelsSaved =
            readUserCell(usercells::frequencyChannelsId(side), frequencyChannels, usercells::frequencyChannelsBytes);
        if (frequencyChannelsSaved == usercells::Read::unreadable) {
            fail(configurationReadFailed, workererrors::frequencyChannelsUnread);
            return false;
        }
        qDebug() << " -> FREQUENCY CHANNELS = " << usercells::hex(frequencyChannels, usercells::frequencyChannelsBytes);
    }
    if (captureAll || transmissionModeSaved == usercells::Read::unreadable) {
        qDebug() << "READ TRANSMISSION MODE";
        transmissionModeSaved =
            readUserCell(usercells::transmissionModeId(side), &transmissionMode, usercells::transmissionModeBytes);
        if (transmissionModeSaved == usercells::Read::unreadable) {
            fail(configurationReadFailed, workererrors::transmissionModeUnread);
            return false;
        }
        qDebug() << " -> TRANSMISSION MODE = " << transmissionMode;
    }
    return true;
}

// A cell never set has no value to write: the unit keeps what it has.
int UpdaterThread::writeBackUserCell(usercells::Read saved, uint16_t id, uint8_t *value, size_t length)
{
    if (saved != usercells::Read::value) {
        qDebug() << "CELL" << id << "WAS NEVER SET, NOT WRITTEN BACK";
        return VX_ZYRA_OK;
    }
    qDebug() << "WRITE BACK CELL" << id << usercells::hex(value, length);
    return modifyStorageCell(handle, id, value, length);
}

bool UpdaterThread::writeBackUserCells(uint8_t side)
{
    bool writtenBack =
        writeBackUserCell(regionSaved, usercells::regionId, &region, usercells::regionBytes) == VX_ZYRA_OK;
    if (DeviceTypes::is2K(deviceType)) {
        if (writeBackUserCell(transmissionModeSaved, usercells::transmissionModeId(side), &transmissionMode,
                              usercells::transmissionModeBytes) != VX_ZYRA_OK)
            emit settingNotKept(stepmessages::transmissionModeNotKept);
        writtenBack = writeBackUserCell(frequencyChannelsSaved, usercells::frequencyChannelsId(side), frequencyChannels,
                                        usercells::frequencyChannelsBytes) == VX_ZYRA_OK &&
                      writtenBack;
    }
    return writtenBack;
}

// The unit may hold its factory defaults now: a write-back that failed too
// is the error the user must hear of, or a later run would take the
// defaults for the user's settings.
void UpdaterThread::failAfterWriteBack(uint8_t side, int errorCode)
{
    if (writeBackUserCells(side))
        fail(stepmessages::configurationFailed, errorCode);
    else
        fail(writeBackFailed, workererrors::userConfigurationNotWrittenBack);
}

void UpdaterThread::updateStorage()
{
    const Waiting waiting(*signOfLife_, stepmessages::waitingForUnit);
    cellsUnanswered_ = false;
    const bool writeBackSaved = storagePending;
    storagePending = false;
    qDebug() << "UPDATING STORAGE...";

    if (vx_zyra_get_info(handle) != VX_ZYRA_OK) {
        qDebug() << "ERROR READING ZYRA INFO";
        fail(stepmessages::configurationFailed, workererrors::configurationInfoUnread);
        return;
    }
    const uint8_t side = handle->side;
    if (sideText(side).isEmpty()) {
        fail(stepmessages::configurationFailed, workererrors::configurationSideUnknown);
        return;
    }
    const FirmwarePackage package(deviceType);
    if (!package.hasFile(storageFile)) {
        fail(QString("R ") + stepmessages::configurationFailed, workererrors::storageIniMissing);
        return;
    }
    QSettings settings(package.nativePath(storageFile), QSettings::IniFormat);
    settings.beginGroup("STORAGE_" + sideText(side));
    const StorageGroup group = readStorageGroup(settings);
    settings.endGroup();
    if (!group.error.isEmpty()) {
        qDebug() << "BAD STORAGE CONFIGURATION:" << group.error;
        fail(stepmessages::configurationFailed, workererrors::storageCellFailed);
        return;
    }

    uint8_t regionRead = 0;
    qDebug() << "READ REGION CONFIG";
    const usercells::Read regionFound = readUserCell(usercells::regionId, &regionRead, usercells::regionBytes);
    if (regionFound == usercells::Read::unreadable) {
        fail(configurationReadFailed, workererrors::regionUnread);
        return;
    }
    if (!captureUserCells(side, !writeBackSaved, regionFound, regionRead))
        return;

    // From the restore on the unit holds factory defaults: every way out
    // writes the user's values back first.
    const bool restores = pairingInProgress || group.restore;
    if (restores) {
        qDebug() << "Restoring storage";
        if (vx_zyra_storage_restore(handle) != VX_ZYRA_OK) {
            // Only the answer may have been lost.
            failAfterWriteBack(side, workererrors::storageRestoreFailed);
            return;
        }
    }

    for (const StorageCellValue &cell : group.cells) {
        qDebug() << (cell.isList ? "Writing storage values: " : "Writing storage value: ") << cell.id
                 << (cell.isList ? QVariant(cell.texts) : QVariant(cell.texts.value(0)));
        uint8_t value[maxStorageValueBytes] = {};
        std::copy(cell.bytes.begin(), cell.bytes.end(), value);
        if (modifyStorageCell(handle, cell.id, value, static_cast<size_t>(cell.bytes.size())) != VX_ZYRA_OK) {
            if (restores)
                failAfterWriteBack(side, workererrors::storageCellFailed);
            else
                fail(stepmessages::configurationFailed, workererrors::storageCellFailed);
            return;
        }
    }

    if (restores || writeBackSaved) {
        if (!writeBackUserCells(side)) {
            fail(writeBackFailed, workererrors::userConfigurationNotWrittenBack);
            return;
        }
        if (writeBackSaved) {
            // The restart ends with a reconnect: a unit that did not come
            // back has not been seen with its new firmware and settings.
            if (vx_zyra_system_restart(handle) != VX_ZYRA_OK) {
                qDebug() << "UNIT NOT BACK AFTER ITS RESTART:" << handle->error_msg;
                fail(stepmessages::configurationFailed, workererrors::configurationInfoUnread);
                return;
            }
            workerclock::sleepSeconds(restartSettleSeconds);
        }
    }

    emit finished();
    emit valueChanged(storageProgress);
}
