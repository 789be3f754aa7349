#pragma once

#include <QPointer>
#include <QString>
#include <QThread>

#include <cstdint>

#include "commstaskdialog.h"
#include "transmissionmode.h"
#include "vx_zyra.h"

namespace Ui {
class PairDialog;
}
class PairErrorDialog;
class QMovie;
class UpdaterThread;

// Pairs a receiver: Pair prepares the unit (a worker runs pairDevice), OK
// confirms once the unit waits (confirmPair), Finish leaves, for a 2K
// receiver after offering to set the link back to broadcast. Failures go
// to the pairing error window, whose RETRY brings this dialog back.
class PairDialog : public CommsTaskDialog
{
    Q_OBJECT

public:
    explicit PairDialog(QWidget *parent = nullptr);
    ~PairDialog() override;

    // Places the picture and the buttons for deviceType.
    void loadPairingImage();
    // The first screen, for a new pairing: Finish and the question behind
    // it belong to the pairing that ended.
    void startOver();

    // The transmitter's mode before a 2K pairing began, set by the main window.
    uint8_t savedTxMode = transmissionmode::unicast;
    int deviceType = 0;

private slots:
    void confirmPair();
    void startPairProcess();
    void quit();
    void back();
    void waiting4Confirmation();
    void showError(QString msg, int code);
    void showPairDialog();
    void setScreen(int processStatus);
    void showLoader();
    void finishedPairing();

private:
    void taskSucceeded(int action) override;
    void runWorker(const char *operation, const char *readySignal, const char *readySlot);

    int screen = 0;
    Ui::PairDialog *ui;
    vx_zyra_t deviceHandle{};
    PairErrorDialog *errorDialog;
    QMovie *loadingMovie;
    // The current operation's worker and thread end themselves; the guards
    // tell whether they still exist.
    QPointer<QThread> pairingThread;
    QPointer<UpdaterThread> pairingWorker;
};
