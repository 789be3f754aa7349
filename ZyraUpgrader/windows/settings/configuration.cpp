#include "configuration.h"

#include "devicetypes.h"
#include "ui_configuration.h"

namespace {

struct RegionChoice {
    uint8_t code;
    int country;  // countryComboBox index: USA, Europe, Japan
    bool outdoors;
};

const RegionChoice regionChoices[] = {
    {4, 0, false}, {3, 1, false}, {2, 2, false}, {9, 0, true}, {8, 1, true}, {7, 2, true},
};

}  // namespace

Configuration::Configuration(QWidget *parent) : QDialog(parent), ui(new Ui::Configuration)
{
    ui->setupUi(this);
}

Configuration::~Configuration()
{
    delete ui;
}

void Configuration::setRegion(uint8_t code, int deviceType)
{
    for (const RegionChoice &choice : regionChoices) {
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
    for (const RegionChoice &choice : regionChoices)
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
