#pragma once

#include <QWidget>

class CommsTaskHost;
class ConfigFreqChannelsDialog;
class Configuration;
class configTransmissionModeDialog;
class UnitPickerDialog;

namespace Ui {
class modeSelectionDialog;
}

// What to do with the chosen unit: update it, pair it or change its radio
// settings (read from the unit, edit, write back).
class modeSelectionDialog : public QWidget
{
    Q_OBJECT

public:
    explicit modeSelectionDialog(QWidget *parent = nullptr);
    ~modeSelectionDialog() override;

    // Shows and stacks the buttons that apply to the unit type.
    void setDeviceType(int type);

signals:
    void gotoNextScreen(int screen);
    void signalShowDashBoardAboutBox();

public slots:
    void gotoPairMode();
    void gotoUpdateMode();
    void goBack();
    void on_configFreqChannelsButton_clicked();
    void on_configModeButton_clicked();
    void on_transmissionModeButton_clicked();
    void zyraCommsThreadSlot(int s32TaskAction, int s32TaskStatus);
    void cancelZyraComms();

private:
    void emitScreenAndHide(int screen);
    void readSettings(int action);
    // The read asked for, once the unit to read is known.
    void readSettingsOf(const QString &unitPort);
    void storeSettings(int action);
    void editTransmissionMode();
    void editRegion();
    void editFrequencyChannels();
    void showSettingsChanged(const QString &title);

    CommsTaskHost *comms;
    int deviceType = 0;
    Ui::modeSelectionDialog *ui;
    ConfigFreqChannelsDialog *freqChannelsDialog;
    Configuration *regionDialog;
    configTransmissionModeDialog *transmissionModeDialog;
    UnitPickerDialog *unitPicker;
    int pendingRead = 0;
};
