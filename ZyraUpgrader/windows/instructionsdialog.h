#pragma once

#include <QDialog>

namespace Ui {
class InstructionsDialog;
}

// Full-size recovery instructions for the chosen device type, with Back and Next.
class InstructionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit InstructionsDialog(QWidget *parent = nullptr);
    ~InstructionsDialog() override;

    int deviceType = 0;

signals:
    void next();
    void back();

public slots:
    void emitNext();
    void emitBack();
    void loadInstructions();

private:
    Ui::InstructionsDialog *ui;
};
