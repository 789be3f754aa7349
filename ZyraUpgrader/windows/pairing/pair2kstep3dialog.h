#pragma once

#include "commstaskdialog.h"

namespace Ui {
class Pair2KStep3Dialog;
}

// Last step of a 2K receiver's pairing, with the transmitter attached
// again: Ok sets it back to broadcast and restarts it; Cancel leaves it in
// unicast.
class Pair2KStep3Dialog : public CommsTaskDialog
{
    Q_OBJECT

public:
    explicit Pair2KStep3Dialog(QWidget *parent = nullptr);
    ~Pair2KStep3Dialog() override;

private slots:
    void on_cancelButton_clicked();
    void on_okButton_clicked();

private:
    void taskSucceeded(int action) override;
    // The pairing is done; Cancel leaves the transmitter as it is.
    void goBack() override { on_cancelButton_clicked(); }

    Ui::Pair2KStep3Dialog *ui;
};
