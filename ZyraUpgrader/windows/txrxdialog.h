#pragma once

#include <QDialog>

namespace Ui {
class TxRxDialog;
}

// First window: the product family and one button per device type.
class TxRxDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TxRxDialog(QWidget *parent = nullptr);
    ~TxRxDialog() override;

signals:
    void deviceTypeSelected(int type);
    void signalShowDashBoardAboutBox();

private slots:
    void HDMITXSelected();
    void HDMIRXSelected();
    void SDITXSelected();
    void SDIRXSelected();
    void on_TwoKTXpushButton_clicked();
    void on_TwoKRXpushButton_clicked();
    void on_aboutPushButton_clicked();

private:
    void emitThenHide(int type);

    Ui::TxRxDialog *ui;
};
