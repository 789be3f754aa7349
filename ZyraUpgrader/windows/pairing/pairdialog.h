#pragma once

#include <QString>

#include <cstdint>

#include "commstaskdialog.h"
#include "transmissionmode.h"

namespace Ui {
class PairDialog;
}
class PairErrorDialog;
class PairRun;
class Spinner;

// Pairs a receiver through a PairRun: Pair prepares the unit, OK confirms
// once the unit waits, Finish leaves, for a 2K
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

protected:
    // While a pairing step runs, Escape and closing ask, and the program
    // ends only on Yes, once the step has ended: the receiver's storage may
    // be between its restore and the user's settings written back.
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    // The same for the error window, shown while its step may go on.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void taskSucceeded(int action) override;
    void goBack() override;
    void askToQuitAfterStep();

    int screen = 0;
    Ui::PairDialog *ui;
    PairErrorDialog *errorDialog;
    Spinner *loadingSpinner = nullptr;
    PairRun *pairing;
};
