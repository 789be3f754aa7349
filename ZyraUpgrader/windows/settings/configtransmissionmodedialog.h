#pragma once

#include <QDialog>

#include <cstdint>

namespace Ui {
class configTransmissionModeDialog;
}

// Unicast or broadcast, each explained as it is chosen.
class configTransmissionModeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit configTransmissionModeDialog(QWidget *parent = nullptr);
    ~configTransmissionModeDialog() override;

    // The stored value: 4 is unicast, anything else shows as broadcast.
    void setMode(uint8_t mode);
    // 4 unicast, 2 broadcast.
    uint8_t mode() const;

private slots:
    void on_applyButton_clicked();
    void on_closeButton_clicked();
    void on_transmissionModeComboBox_activated(int index);

private:
    void showExplanation(int index);

    Ui::configTransmissionModeDialog *ui;
};
