#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include "vx_zyra.h"

namespace Ui {
class DashBoard;
}
class AboutDialog;
class InstructionsDialog;
class Pair2KStep1Dialog;
class Pair2KStep3Dialog;
class PairDialog;
class TxRxDialog;
class UnitPickerDialog;
class UpdateRun;
class Spinner;
class modeSelectionDialog;

// Main window and hub of the program: owns every dialog, routes between
// them and runs the firmware update of the chosen unit step by step.
class DashBoard : public QMainWindow
{
    Q_OBJECT

public:
    explicit DashBoard(QWidget *parent = nullptr);
    ~DashBoard() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void initDeviceType(int type);
    void selectMode(int mode);
    void showPairWindow();
    void showModeSelectionDialog();
    void back2TxRxDialog();
    void showInstructionsDialog();
    void showAboutBox();
    void quit();

    void showInstructionsLayout();
    void showUpdateLayout();
    void showErrorLayout();
    void restartUpdater();

    void updateWithNoFanControl();
    void updateWithRecFanControl();
    void updateWithTempRecFanControl();

    void detectDevice();
    void detectUnit(const QString &port);
    void unitNotPicked();
    void deviceDetected(QString fwVersion);
    void updateZYRA();
    void reconnected();
    void appFWUpdated();
    void macFWUpdated();
    void appFWReUpdated();
    void storageUpdated();
    void progressUpdated(int progress);
    void showWaiting(QString what, int seconds);
    void noteSettingNotKept(QString note);
    void errorString(QString err, int errorCode);
    void startRecoveryMode(int unitStatus);
    void reconnect();
    void showThreadFinished();

private:
    void setAppVersion();
    void updateScreen();
    void hideStatusWidgets();
    void showSuccessText(const QString &text);
    void loadLayoutPictures();

    // The engine of every run, made on first use.
    UpdateRun *updateRunner();
    void showProgressWidgets();
    bool runInProgress() const;
    void abandonRunOnExit();

    void startUpdate(uint8_t mode);
    void disconnectDevice();
    void leadOnlyTo(QObject *button, const char *slot);
    QString handleMessage() const;

    Ui::DashBoard *ui;
    TxRxDialog *txRxDialog;
    PairDialog *pairDialog;
    InstructionsDialog *instructionsDialog;
    modeSelectionDialog *modeSelection;
    AboutDialog *aboutDialog;
    Pair2KStep1Dialog *pair2KStep1Dialog;
    Pair2KStep3Dialog *pair2KStep3Dialog;
    UnitPickerDialog *unitPicker;
    Spinner *detectionSpinner = nullptr;
    // Decoded when the window opens: decoding one when a run's step ends
    // held up the window for 10-20 ms.
    QPixmap updatePicture;
    QPixmap errorPicture;
    // The status line's place in the form, left for the success text.
    QRect statusLineGeometry;
    static constexpr QSize updateLayoutSize{760, 525};

    vx_zyra_t deviceHandle{};
    QString xmegaVersion;
    QString appVersion;
    QString aboutVersion;

    UpdateRun *updateRun = nullptr;
    int deviceType = 0;
    int connectionStatus = 1;
    bool recoveryMode = false;
    int errorCount = 0;
    uint8_t fanControlMode = 2;
    // Settings of this update that did not reach the unit, shown below the
    // success text.
    QStringList settingNotes;
};
