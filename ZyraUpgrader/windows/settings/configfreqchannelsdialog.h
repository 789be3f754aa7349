#pragma once

#include <QDialog>
#include <QList>

#include <cstdint>

class QCheckBox;

namespace Ui {
class ConfigFreqChannelsDialog;
}

// The channel plan of the unit's region as a table, each channel switched
// on or off by a check box; DFS channels only switch in unicast mode.
class ConfigFreqChannelsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConfigFreqChannelsDialog(QWidget *parent = nullptr);
    ~ConfigFreqChannelsDialog() override;

    // channels: the unit's stored list of switched-off channels (28 bytes).
    void fill(const uint8_t *channels, uint8_t region, uint8_t mode);
    // Writes the stored list (28 bytes) for the boxes as they stand.
    void collect(uint8_t *channels) const;

private slots:
    void on_applyButton_clicked();
    void on_closeButton_clicked();

private:
    void addRow(uint16_t frequency, bool dfs, bool enabled, bool switchable);

    uint8_t regionCode = 0;
    QList<QCheckBox *> checkBoxes;
    Ui::ConfigFreqChannelsDialog *ui;
};
