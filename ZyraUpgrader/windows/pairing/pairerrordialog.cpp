#include "pairerrordialog.h"

#include "highdpi.h"
#include "ui_pairerrordialog.h"

PairErrorDialog::PairErrorDialog(QWidget *parent) : QWidget(parent), ui(new Ui::PairErrorDialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/warning.png"));
    ui->pairErrorLabel->setText("Error");
    connect(ui->retryButton, SIGNAL(clicked()), this, SLOT(back2Pair()));
}

PairErrorDialog::~PairErrorDialog()
{
    delete ui;
}

void PairErrorDialog::setErrorText(const QString &text)
{
    ui->pairErrorLabel->setText(text);
}

void PairErrorDialog::back2Pair()
{
    emit retry();
}
