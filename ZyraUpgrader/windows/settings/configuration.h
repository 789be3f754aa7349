#pragma once

#include <QDialog>

#include <cstdint>

namespace Ui {
class Configuration;
}

// Region selection: a country and, on 2K units, indoor or outdoor use,
// which together make the unit's region code.
class Configuration : public QDialog
{
    Q_OBJECT

public:
    explicit Configuration(QWidget *parent = nullptr);
    ~Configuration() override;

    // A code outside the six selectable ones leaves the choices as they were.
    void setRegion(uint8_t code, int deviceType);
    // -1 when no country is chosen.
    int region() const;

signals:
    void openAboutDialog();

private slots:
    void on_applyButton_clicked();
    void on_closeButton_clicked();
    void on_warningLabel_linkActivated(QString link);

private:
    Ui::Configuration *ui;
};
