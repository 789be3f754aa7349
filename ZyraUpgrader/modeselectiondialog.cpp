#include "modeselectiondialog.h"

#include <QPushButton>

#include "screens.h"
#include "ui_modeselectiondialog.h"

namespace {

// "Update" and "Select Region" fill the group box's first 88 pixels; every
// further button takes one more row below them.
constexpr int firstOptionalRowY = 77;
constexpr int rowPitch = 33;
constexpr int baseGroupHeight = 88;

}  // namespace

modeSelectionDialog::modeSelectionDialog(QWidget *parent)
    : QWidget(parent), ui(new Ui::modeSelectionDialog)
{
    ui->setupUi(this);
    connect(ui->updateModeButton, SIGNAL(clicked()), this, SLOT(gotoUpdateMode()));
    connect(ui->backButton, SIGNAL(clicked()), this, SLOT(goBack()));
}

modeSelectionDialog::~modeSelectionDialog()
{
    delete ui;
}

void modeSelectionDialog::setDeviceType(int type)
{
    deviceType = type;
    const bool twoK = type == 4 || type == 5;
    const bool pairable = type == 2 || type == 3 || type == 5;
    const struct {
        QPushButton *button;
        bool shown;
    } optional[] = {
        {ui->configFreqChannelsButton, twoK},
        {ui->transmissionModeButton, twoK},
        {ui->pairModeButton, pairable},
    };

    int shownCount = 0;
    for (const auto &row : optional) {
        row.button->setVisible(row.shown);
        if (!row.shown)
            continue;
        row.button->move(row.button->x(), firstOptionalRowY + rowPitch * shownCount);
        ++shownCount;
    }
    QRect box = ui->groupBox->geometry();
    box.setHeight(baseGroupHeight + rowPitch * shownCount);
    ui->groupBox->setGeometry(box);
}

void modeSelectionDialog::gotoPairMode()
{
    emitScreenAndHide(deviceType == 5 ? Screen::Pair2KStep1 : Screen::Pairing);
}

void modeSelectionDialog::gotoUpdateMode()
{
    emitScreenAndHide(Screen::Update);
}

void modeSelectionDialog::goBack()
{
    emitScreenAndHide(Screen::DeviceSelection);
}

void modeSelectionDialog::emitScreenAndHide(int screen)
{
    emit gotoNextScreen(screen);
    hide();
}
