#pragma once

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// About box: the utility's version line and the licence shipped beside the program.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    void setVersion(QString version);

private:
    void loadLicense();

    Ui::AboutDialog *ui;
};
