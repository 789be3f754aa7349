#include "modeselectiondialog.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "commstaskhost.h"
#include "configfreqchannelsdialog.h"
#include "configtransmissionmodedialog.h"
#include "configuration.h"
#include "devicetypes.h"
#include "highdpi.h"
#include "screens.h"
#include "ui_modeselectiondialog.h"
#include "unitpickerdialog.h"
#include "workererrors.h"
#include "zyracommsthread.h"

namespace {

// "Update" and "Select Region" fill the group box's first 88 pixels; every
// further button takes one more row below them.
constexpr int firstOptionalRowY = 77;
constexpr int rowPitch = 33;
constexpr int baseGroupHeight = 88;

const char *const storingTitle = "ZYRA Settings";
const char *const storingLabel = "Attempting to store settings to the Zyra Device...";
const char *const settingsChangedText =
    "Settings Changed Successfully! You will need to reboot Zyra before these changes will take effect.";

}  // namespace

modeSelectionDialog::modeSelectionDialog(QWidget *parent)
    : QWidget(parent), comms(new CommsTaskHost(this)), ui(new Ui::modeSelectionDialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/zyra_logo.png"));
    connect(ui->updateModeButton, SIGNAL(clicked()), this, SLOT(gotoUpdateMode()));
    connect(ui->pairModeButton, SIGNAL(clicked()), this, SLOT(gotoPairMode()));
    connect(ui->backButton, SIGNAL(clicked()), this, SLOT(goBack()));

    freqChannelsDialog = new ConfigFreqChannelsDialog(this);
    regionDialog = new Configuration(this);
    transmissionModeDialog = new configTransmissionModeDialog(this);
    unitPicker = new UnitPickerDialog(this);
    connect(unitPicker, &UnitPickerDialog::picked, this, &modeSelectionDialog::readSettingsOf);
    connect(regionDialog, SIGNAL(openAboutDialog()), this, SIGNAL(signalShowDashBoardAboutBox()));

    connect(comms, SIGNAL(reported(int, int)), this, SLOT(zyraCommsThreadSlot(int, int)));
    // Queued: the procedure removes the Cancel button whose click starts it.
    connect(comms->progressDialog(), SIGNAL(canceled()), this, SLOT(cancelZyraComms()), Qt::QueuedConnection);
}

modeSelectionDialog::~modeSelectionDialog()
{
    delete comms;
    delete ui;
}

void modeSelectionDialog::setDeviceType(int type)
{
    deviceType = type;
    const bool twoK = DeviceTypes::is2K(type);
    const bool pairable = !DeviceTypes::isTransmitter(type);
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
    emitScreenAndHide(deviceType == DeviceTypes::TwoKReceiver ? Screen::Pair2KStep1 : Screen::Pairing);
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

void modeSelectionDialog::on_configModeButton_clicked()
{
    readSettings(ZyraCommsThread::TASK_READ_REGION);
}

void modeSelectionDialog::on_configFreqChannelsButton_clicked()
{
    readSettings(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS);
}

void modeSelectionDialog::on_transmissionModeButton_clicked()
{
    readSettings(ZyraCommsThread::TASK_READ_MODE);
}

void modeSelectionDialog::cancelZyraComms()
{
    comms->cancelTask();
}

void modeSelectionDialog::zyraCommsThreadSlot(int s32TaskAction, int s32TaskStatus)
{
    comms->closeProgress();
    if (s32TaskStatus != workererrors::commsTaskOk) {
        CommsTaskHost::showConnectionError(this);
        return;
    }
    switch (s32TaskAction) {
    case ZyraCommsThread::TASK_READ_MODE:
        editTransmissionMode();
        break;
    case ZyraCommsThread::TASK_READ_REGION:
        editRegion();
        break;
    case ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS:
        editFrequencyChannels();
        break;
    case ZyraCommsThread::TASK_WRITE_MODE:
        showSettingsChanged("ZYRA Transmisson Mode Settings");
        break;
    case ZyraCommsThread::TASK_WRITE_REGION:
        showSettingsChanged("ZYRA Region Settings");
        break;
    case ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS:
        showSettingsChanged("ZYRA Frequency Selection Settings");
        break;
    default:
        break;
    }
}

void modeSelectionDialog::readSettings(int action)
{
    pendingRead = action;
    unitPicker->pickUnit();
}

void modeSelectionDialog::readSettingsOf(const QString &unitPort)
{
    // The settings written next go to the unit they were read from.
    comms->setUnitPort(unitPort);
    comms->startConnectingTask(pendingRead);
}

void modeSelectionDialog::storeSettings(int action)
{
    comms->startTask(action, storingTitle, storingLabel);
}

void modeSelectionDialog::editTransmissionMode()
{
    ZyraCommsThread *worker = comms->worker();
    transmissionModeDialog->setMode(worker->transmissionMode);
    if (transmissionModeDialog->exec() != QDialog::Accepted)
        return;
    worker->transmissionMode = transmissionModeDialog->mode();
    storeSettings(ZyraCommsThread::TASK_WRITE_MODE);
}

void modeSelectionDialog::editRegion()
{
    ZyraCommsThread *worker = comms->worker();
    regionDialog->setRegion(worker->region, deviceType);
    if (regionDialog->exec() != QDialog::Accepted)
        return;
    worker->region = static_cast<uint8_t>(regionDialog->region());
    storeSettings(ZyraCommsThread::TASK_WRITE_REGION);
}

void modeSelectionDialog::editFrequencyChannels()
{
    ZyraCommsThread *worker = comms->worker();
    freqChannelsDialog->fill(worker->frequencyChannels, worker->region, worker->transmissionMode);
    if (freqChannelsDialog->exec() != QDialog::Accepted)
        return;
    freqChannelsDialog->collect(worker->frequencyChannels);
    storeSettings(ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS);
}

void modeSelectionDialog::showSettingsChanged(const QString &title)
{
    QMessageBox::information(this, title, settingsChangedText);
}
