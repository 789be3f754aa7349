#pragma once

#include <QWidget>

namespace Ui {
class modeSelectionDialog;
}

// What to do with the chosen unit: update it, pair it or change its radio settings.
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

private:
    void emitScreenAndHide(int screen);

    int deviceType = 0;
    Ui::modeSelectionDialog *ui;
};
