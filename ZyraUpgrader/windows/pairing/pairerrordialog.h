#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class PairErrorDialog;
}

// The window a failed pairing step ends in: the step's own message and
// RETRY, which brings the pairing dialog back.
class PairErrorDialog : public QWidget
{
    Q_OBJECT

public:
    explicit PairErrorDialog(QWidget *parent = nullptr);
    ~PairErrorDialog() override;

    void setErrorText(const QString &text);

signals:
    void retry();

private slots:
    void back2Pair();

private:
    Ui::PairErrorDialog *ui;
};
