// The worker that performs every long operation on one unit: detection,
// the video module's XMEGA through dfu-programmer, both radio images and the
// unit's configuration. It lives in a QThread of its own, blocks it for
// seconds to minutes per slot and reports only through its signals.
#ifndef UPDATERTHREAD_H
#define UPDATERTHREAD_H

#include "usercells.h"
#include "vx_zyra.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class SignOfLife;

class UpdaterThread : public QObject
{
    Q_OBJECT

public:
    explicit UpdaterThread(QObject *parent = nullptr);
    ~UpdaterThread() override;

    // The unit to work on, by its port path ("1-2.1"); empty when none was
    // chosen: then the first unit on the bus. Every open goes to it.
    void setUnitPort(const QString &portPath);

    // Lent by the creator; the worker opens it but never frees or replaces it.
    vx_zyra_t *handle;
    // Fan-control setting that flashEEPROM writes (update runs only).
    eeprom_settings *eepromSettings;
    // 0 HDMI TX, 1 SDI TX, 2 HDMI RX, 3 SDI RX, 4 2K TX, 5 2K RX.
    int deviceType;
    bool pairingInProgress;
    // updateAPPFW writes the recovery application image.
    bool recoveryMode;
    // Name of the storage configuration file in the firmware directory.
    QString storageFile;
    // updateStorage writes back the configuration saved by updateAPPFW.
    bool storagePending;
    // The unit's user configuration, saved across an update.
    uint8_t region;
    uint8_t transmissionMode;
    uint8_t frequencyChannels[28];
    // What was read of each: updateAPPFW leaves unreadable the ones it could
    // not read, updateStorage reads those again; only a value is written
    // back (a cell never set stays as the unit has it), never one not known.
    usercells::Read regionSaved;
    usercells::Read transmissionModeSaved;
    usercells::Read frequencyChannelsSaved;

signals:
    void finished();
    void error(QString err, int errorCode);
    void valueChanged(int newValue);
    void detected(QString fwVersion);
    void startRecoveryMode(int connectionStatus);
    void dfuProgrammerNotPresent(QString msg);
    void pairReady();
    // A setting that did not reach the unit in a run that goes on; `note`
    // tells the user which.
    void settingNotKept(QString note);
    // Every few seconds of a wait without a progress report: what the step
    // waits for ("unit to come back") and for how many seconds so far.
    void waiting(QString what, int seconds);

public slots:
    void updateAPPFW();
    void updateMACFW();
    void updateStorage();
    void reconnect2Device();
    void updateZYRA();
    void detectDevice();
    void readEEPROM();
    void flashEEPROM();
    int modifyStorageCell(vx_zyra_t *zyra, uint16_t key, uint8_t *value, size_t value_len);
    // Prepares the receiver on the handle for pairing (pairReady) and, once
    // the user has confirmed, confirms it on the unit (finished).
    void pairDevice();
    void confirmPair();

private:
    QString unitPort_;
    // Names the waits of the update steps for waiting().
    std::unique_ptr<SignOfLife> signOfLife_;
    // Set once a cell stayed unreadable through all its passes: the unit does
    // not answer storage reads now, and later cells of the step get one pass.
    bool cellsUnanswered_ = false;

    // Emits error() with the headline and the code as its last paragraph.
    void fail(const QString &headline, int errorCode);
    // The same with another code in the text than in the signal.
    void fail(const QString &headline, int shownCode, int errorCode);
    // Checks every package file the update run reads before it first changes
    // the unit; on a fault emits the error of the step that would have met it.
    bool packageIsSound(bool withXmegaImage, bool withRecoveryImages);
    // The image firmware.ini names for the side under the key; empty after
    // reporting a missing firmware.ini or image with its code.
    QString namedImage(const QString &side, const QString &key, const QString &headline, int iniMissingCode,
                       int imageMissingCode);
    // Reads a user cell in up to eleven passes, reconnecting and pausing
    // after each unreadable one; a value, an unset cell or an answer of the
    // wrong length ends the reading, and so does a reconnect after which no
    // pass can succeed. One pass only once a cell of the step went unanswered.
    usercells::Read readUserCell(uint16_t id, uint8_t *dest, size_t length);
    // Reads the saved values updateStorage needs and does not know yet;
    // false once one that cannot be read has been reported.
    bool captureUserCells(uint8_t side, bool captureAll, usercells::Read regionFound, uint8_t regionRead);
    // Writes one saved value back unless the cell was never set; the
    // write's result.
    int writeBackUserCell(usercells::Read saved, uint16_t id, uint8_t *value, size_t length);
    // Writes the saved values back; false when the region or the channels
    // did not reach the unit (a mode that did not is noted on its own).
    bool writeBackUserCells(uint8_t side);
    // Writes the saved values back after a failure past the restore and
    // reports errorCode, or 48 when the write-back failed too.
    void failAfterWriteBack(uint8_t side, int errorCode);
    // Whether the run may work on the chosen unit (UnitBench::fault), else
    // reports why before anything is written. A pairing step signals
    // workererrors::pairingKeepsSession; its message shows the code.
    bool chosenUnitIsSound(bool unitMayBeAway = false, bool pairingStep = false);
    void detectOverUsb();
    void detectInDfuMode();
    // Closes the handle of a unit that is gone, so that reporting it as
    // unreachable also leaves it closed.
    void closeLostUnit();
    // Reports a pairing failure that leaves the session for the dialog to
    // close (workererrors::pairingClosesSession) and closes it.
    void abandonPairing(const char *message, const char *trace);
    bool connectForPairing();
    // Reads the unit's identity; false once a unit that cannot be read or
    // is no receiver has been reported and its session closed.
    bool receiverAttached();
};

#endif  // UPDATERTHREAD_H
