#include "configuration.h"

#include "devicetypes.h"
#include "highdpi.h"
#include "regions.h"
#include "ui_configuration.h"

Configuration::Configuration(QWidget *parent) : QDialog(parent), ui(new Ui::Configuration)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/zyra_logo.png"));
}

Configuration::~Configuration()
{
    delete ui;
}

void Configuration::setRegion(uint8_t code, int deviceType)
{
    for (const regions::Region &choice : regions::all()) {
        if (choice.code != code)
            continue;
        ui->countryComboBox->setCurrentIndex(choice.country);
        ui->indoorComboBox->setCurrentIndex(choice.outdoors ? 1 : 0);
    }
    // Disabled, the placement still shows and still counts.
    ui->indoorComboBox->setEnabled(DeviceTypes::is2K(deviceType));
}

int Configuration::region() const
{
    const bool outdoors = ui->indoorComboBox->currentIndex() == 1;
    for (const regions::Region &choice : regions::all())
        if (choice.country == ui->countryComboBox->currentIndex() && choice.outdoors == outdoors)
            return choice.code;
    return -1;
}

void Configuration::on_applyButton_clicked()
{
    accept();
}

void Configuration::on_closeButton_clicked()
{
    reject();
}

void Configuration::on_warningLabel_linkActivated(QString)
{
    emit openAboutDialog();
}
