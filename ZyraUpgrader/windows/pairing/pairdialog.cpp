#include "pairdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QMessageBox>

#include "commstaskhost.h"
#include "devicetypes.h"
#include "highdpi.h"
#include "pairerrordialog.h"
#include "pairrun.h"
#include "screens.h"
#include "spinner.h"
#include "ui_pairdialog.h"
#include "zyracommsthread.h"

namespace {

constexpr int screenReady = 0;
constexpr int screenPairing = 1;
constexpr int screenWaiting = 3;
constexpr int screenConfirming = 4;

struct Placement {
    const char *picture;
    int okY;
    int connectY;
};

Placement placementFor(int deviceType)
{
    switch (deviceType) {
    case DeviceTypes::TwoKReceiver:
        return {":/myresources/Images/sdi_2k_rx_pairing.png", 408, 221};
    case DeviceTypes::SdiReceiver:
        return {":/myresources/Images/sdi_rx_pairing.png", 595, 263};
    default:
        return {":/myresources/Images/hdmi_rx_pairing.png", 595, 263};
    }
}

}  // namespace

PairDialog::PairDialog(QWidget *parent)
    : CommsTaskDialog(parent), ui(new Ui::PairDialog), errorDialog(new PairErrorDialog), pairing(new PairRun(this))
{
    ui->setupUi(this);
    loadingSpinner = new Spinner(ui->loadingIcon);
    connect(ui->connectButton, SIGNAL(clicked()), this, SLOT(startPairProcess()));
    connect(ui->OKButton, SIGNAL(clicked()), this, SLOT(confirmPair()));
    connect(ui->backButton, SIGNAL(clicked()), this, SLOT(back()));
    connect(ui->doneButton, SIGNAL(clicked()), this, SLOT(quit()));
    connect(errorDialog, SIGNAL(retry()), this, SLOT(showPairDialog()));
    errorDialog->installEventFilter(this);
    connect(pairing, SIGNAL(failed(QString, int)), this, SLOT(showError(QString, int)));
    connect(pairing, SIGNAL(awaitingConfirmation()), this, SLOT(waiting4Confirmation()));
    connect(pairing, SIGNAL(paired()), this, SLOT(finishedPairing()));

    loadPairingImage();
    setScreen(screenReady);
}

PairDialog::~PairDialog()
{
    delete pairing;
    delete errorDialog;
    delete ui;
}

void PairDialog::loadPairingImage()
{
    const Placement placement = placementFor(deviceType);
    ui->label->setPixmap(highdpi::picture(placement.picture));
    ui->OKButton->move(ui->OKButton->x(), placement.okY);
    ui->connectButton->move(ui->connectButton->x(), placement.connectY);
}

void PairDialog::startOver()
{
    screen = screenReady;
    setScreen(screenReady);
}

void PairDialog::setScreen(int processStatus)
{
    if (processStatus != screenReady && processStatus != screenPairing && processStatus != screenWaiting &&
        processStatus != screenConfirming)
        return;
    ui->connectButton->setEnabled(processStatus == screenReady);
    ui->OKButton->setEnabled(processStatus == screenWaiting);
    ui->backButton->setEnabled(processStatus == screenReady || processStatus == screenWaiting);
    ui->doneButton->hide();
    if (processStatus == screenPairing) {
        showLoader();
    } else {
        loadingSpinner->stop();
        ui->loadingIcon->hide();
    }
}

void PairDialog::showLoader()
{
    ui->loadingIcon->setVisible(true);
    loadingSpinner->start();
}

void PairDialog::startPairProcess()
{
    screen = screenPairing;
    setScreen(screenPairing);
    pairing->prepare(deviceType);
}

void PairDialog::waiting4Confirmation()
{
    screen = screenWaiting;
    setScreen(screenWaiting);
}

void PairDialog::confirmPair()
{
    screen = screenConfirming;
    setScreen(screenConfirming);
    pairing->confirm();
}

void PairDialog::finishedPairing()
{
    qDebug() << "PAIRING PROCESS FINISHED";
    screen = screenReady;
    setScreen(screenReady);
    ui->doneButton->show();
}

void PairDialog::back()
{
    screen = screenReady;
    setScreen(screenReady);
    leaveTo(Screen::ModeSelection);
}

void PairDialog::quit()
{
    if (PairRun::setsBroadcastBack(deviceType, savedTxMode)) {
        const auto answer = QMessageBox::question(
            this, "ZYRA Transmission Mode",
            "The Zyra Rx and Tx Devices were set to Unicast Mode for the pairing process; click Yes if you would "
            "like them to be set back to Broadcast Mode?",
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            comms->worker()->transmissionMode = transmissionmode::broadcast;
            startConnectingTask(ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART);
            return;
        }
    }
    leaveTo(Screen::DeviceSelection);
}

void PairDialog::reject()
{
    if (pairing->stepRunning())
        askToQuitAfterStep();
    else
        CommsTaskDialog::reject();
}

void PairDialog::closeEvent(QCloseEvent *event)
{
    if (!pairing->stepRunning()) {
        CommsTaskDialog::closeEvent(event);
        return;
    }
    event->ignore();
    askToQuitAfterStep();
}

bool PairDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != errorDialog || event->type() != QEvent::Close || !pairing->stepRunning())
        return CommsTaskDialog::eventFilter(watched, event);
    event->ignore();
    askToQuitAfterStep();
    return true;
}

void PairDialog::goBack()
{
    if (ui->backButton->isEnabled())
        back();
}

void PairDialog::askToQuitAfterStep()
{
    const auto answer = QMessageBox::question(this, "ZYRA Pairing Utility",
                                              "A pairing step is in progress.\n\nDo you want to quit once it has "
                                              "ended?",
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // The windows go at once and the step's outcome shows nowhere; the
    // program ends as the step lets go of the unit.
    pairing->disconnect(this);
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    if (pairing->stepRunning())
        connect(pairing, &PairRun::stepEnded, qApp, &QCoreApplication::quit);
    else
        QCoreApplication::quit();
}

void PairDialog::taskSucceeded(int action)
{
    if (action == ZyraCommsThread::TASK_WRITE_MODE_AND_RESTART)
        leaveTo(Screen::Pair2KStep3);
}

void PairDialog::showError(QString msg, int)
{
    errorDialog->setErrorText(msg);
    screen = screenReady;
    setScreen(screenReady);
    hide();
    errorDialog->show();
}

void PairDialog::showPairDialog()
{
    // A storage error is reported while its pairing step goes on; until the
    // step ends, the dialog must not offer to start another on the same unit.
    setScreen(pairing->stepRunning() ? screenPairing : screen);
    loadPairingImage();
    errorDialog->hide();
    show();
}
