// Pairing a receiver: its storage renewed with the user's configuration
// kept, a 2K receiver in unicast, its pairing menu opened; then, once the
// user has confirmed, the confirmation.
#include "updaterthread.h"

#include "devicetypes.h"
#include "transmissionmode.h"
#include "unitconnection.h"
#include "usercells.h"
#include "workerclock.h"
#include "workererrors.h"

#include <QDebug>

namespace {

const char connectReceiver[] = "Please, connect a Receiver";
const char readInfoFailed[] = "Error while Reading ZYRA info";
const char readInfoFailedTrace[] = "ERROR READING ZYRA INFO";
const int connectRetries = 11;
const int connectRetryPauseSeconds = 6;
const int restartSettleSeconds = 2;

}  // namespace

void UpdaterThread::pairDevice()
{
    qDebug() << "pairDevice";
    if (DeviceTypes::isTransmitter(deviceType)) {
        qDebug() << connectReceiver;
        emit error(connectReceiver, workererrors::pairingKeepsSession);
        return;
    }
    if (!chosenUnitIsSound(false, true))
        return;
    if (!connectForPairing()) {
        emit error("Error while connecting to ZYRA", workererrors::pairingKeepsSession);
        qDebug() << "ERROR CONNECTING TO ZYRA";
        closeLostUnit();
        return;
    }
    // Restoring a transmitter's storage with a receiver's settings would
    // lose its configuration, so nothing is touched before the side is known.
    if (!receiverAttached())
        return;

    pairingInProgress = true;
    updateStorage();
    pairingInProgress = false;

    if (deviceType == DeviceTypes::TwoKReceiver) {
        uint8_t mode = transmissionmode::unicast;
        if (modifyStorageCell(handle, usercells::transmissionModeId(VX_ZYRA_RX), &mode,
                              usercells::transmissionModeBytes) != VX_ZYRA_OK) {
            emit error("Error setting to Unicast Mode", workererrors::pairingKeepsSession);
            qDebug() << "ERROR SETTING UNICAST MODE";
            vx_zyra_system_restart(handle);
            workerclock::sleepSeconds(restartSettleSeconds);
            abandonPairing(readInfoFailed, readInfoFailedTrace);
            return;
        }
        qDebug() << "FORCING TO UNICAST MODE";
    }

    vx_zyra_system_restart(handle);
    workerclock::sleepSeconds(restartSettleSeconds);
    if (!receiverAttached())
        return;

    qDebug() << "OK YOU CAN START PAIRING";
    vx_zyra_rx_start_pairing(handle);
    // The unit may miss the first key press; only the second one's answer counts.
    vx_zyra_send_ir_command(handle, IR_CMD_SELECT);
    if (vx_zyra_send_ir_command(handle, IR_CMD_SELECT) != VX_ZYRA_OK) {
        abandonPairing("Error while pairing ZYRA", "ERROR PAIRING ZYRA");
        return;
    }
    // Closed before the signal: its receiver may open the unit at once.
    vx_zyra_disconnect(handle);
    emit pairReady();
}

void UpdaterThread::confirmPair()
{
    if (!chosenUnitIsSound(false, true))
        return;
    if (connectUnit(handle, unitPort_) == VX_ZYRA_OK) {
        qDebug() << "SENDING CONFIRMATION 0";
        vx_zyra_rx_confirm_pairing(handle);
        vx_zyra_disconnect(handle);
    }
    emit finished();
    qDebug() << "DISCONNECTED FROM ZYRA";
}

bool UpdaterThread::connectForPairing()
{
    qDebug() << "CONNECTING TO ZYRA";
    if (connectUnit(handle, unitPort_) == VX_ZYRA_OK)
        return true;
    return connectWithPauses(handle, unitPort_, connectRetries, connectRetryPauseSeconds,
                             "CONNECTING TO ZYRA (RETRY)") == VX_ZYRA_OK;
}

bool UpdaterThread::receiverAttached()
{
    if (vx_zyra_get_info(handle) != VX_ZYRA_OK) {
        abandonPairing(readInfoFailed, readInfoFailedTrace);
        return false;
    }
    if (handle->side != VX_ZYRA_RX) {
        abandonPairing(connectReceiver, nullptr);
        return false;
    }
    return true;
}

void UpdaterThread::abandonPairing(const char *message, const char *trace)
{
    emit error(message, workererrors::pairingClosesSession);
    if (trace)
        qDebug() << trace;
    vx_zyra_disconnect(handle);
}
