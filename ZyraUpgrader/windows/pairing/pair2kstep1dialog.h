#pragma once

#include <cstdint>

#include "commstaskdialog.h"
#include "transmissionmode.h"

namespace Ui {
class Pair2KStep1Dialog;
}

// First step of a 2K receiver's pairing, with the transmitter attached:
// Next switches it to unicast (restarting it if that changes its mode) and
// starts its registration, keeping the mode it had for the last step.
class Pair2KStep1Dialog : public CommsTaskDialog
{
    Q_OBJECT

public:
    explicit Pair2KStep1Dialog(QWidget *parent = nullptr);
    ~Pair2KStep1Dialog() override;

    // The transmitter's mode before the last successful Next; unicast until then.
    uint8_t savedTxMode = transmissionmode::unicast;

signals:
    void gotoBack();

private slots:
    void on_backButton_clicked();
    void on_nextButton_clicked();

private:
    void taskSucceeded(int action) override;
    void goBack() override { on_backButton_clicked(); }

    Ui::Pair2KStep1Dialog *ui;
};
