#include "unitpickerdialog.h"

#include <QPushButton>
#include <QThread>

#include "ui_unitpickerdialog.h"

UnitPickerDialog::UnitPickerDialog(QWidget *parent) : QDialog(parent), ui(new Ui::UnitPickerDialog)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->unitList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(ui->unitList, &QListWidget::currentRowChanged, this,
            [this](int row) { ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(row >= 0); });
    connect(this, &QDialog::accepted, this, [this] { emit picked(units.at(ui->unitList->currentRow()).port); });
    connect(this, &QDialog::rejected, this, &UnitPickerDialog::cancelled);
}

UnitPickerDialog::~UnitPickerDialog()
{
    if (lister)
        lister->wait();
    delete ui;
}

void UnitPickerDialog::pickUnit()
{
    if (lister)
        return;
    lister = QThread::create([this] { units = attachedunits::list(); });
    connect(lister, &QThread::finished, this, &UnitPickerDialog::offer, Qt::QueuedConnection);
    lister->start();
}

void UnitPickerDialog::offer()
{
    lister->wait();
    delete lister;
    lister = nullptr;
    if (!attachedunits::several(units)) {
        emit picked(QString());
        return;
    }
    ui->unitList->clear();
    for (const attachedunits::Unit &unit : units)
        ui->unitList->addItem(attachedunits::describe(unit));
    ui->unitList->setCurrentRow(-1);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    open();
}
