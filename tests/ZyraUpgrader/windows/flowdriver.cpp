#include "flowdriver.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "dashboard.h"
#include "guitest.h"
#include "settings/modeselectiondialog.h"
#include "txrxdialog.h"

namespace guitest {

namespace {

// As QTest::qWaitFor, but blocking until events come instead of sleeping
// 10 ms between turns, which would itself stall the GUI thread.
bool waitWithoutSleeping(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wakeAtDeadline;
    wakeAtDeadline.setSingleShot(true);
    wakeAtDeadline.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

}  // namespace

FlowDriver::FlowDriver()
{
    qApp->installEventFilter(this);
}

FlowDriver::~FlowDriver()
{
    qApp->removeEventFilter(this);
    close();
}

bool FlowDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (dashboard && watched == dashboard.get() && event->type() == QEvent::MetaCall)
        recordStatus();
    return false;
}

void FlowDriver::chooseDevice(int deviceType)
{
    const char *buttons[] = {"HDMITXpushButton", "SDITXpushButton",  "HDMIRXpushButton",
                             "SDIRXpushButton",  "TwoKTXpushButton", "TwoKRXpushButton"};
    QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>(buttons[deviceType]), Qt::LeftButton);
}

void FlowDriver::openUpdate(int deviceType)
{
    dashboard = std::make_unique<DashBoard>();
    connect(widget<QProgressBar>("progressBar"), &QProgressBar::valueChanged, this, [this](int value) {
        values.append(value);
        if (onBarValue)
            onBarValue(value);
    });
    chooseDevice(deviceType);
    openUpdateFromModeSelection();
}

void FlowDriver::openUpdateFromModeSelection()
{
    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("updateModeButton"), Qt::LeftButton);
}

void FlowDriver::backToDeviceSelection()
{
    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("backButton"), Qt::LeftButton);
}

QWidget *FlowDriver::window() const
{
    return dashboard.get();
}

void FlowDriver::click(const char *widgetName)
{
    QTest::mouseClick(widget<QPushButton>(widgetName), Qt::LeftButton);
}

bool FlowDriver::clickIfEnabled(const char *widgetName)
{
    auto *button = widget<QPushButton>(widgetName);
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool FlowDriver::next()
{
    if (!clickIfEnabled("nextPushButton"))
        return false;
    return waitForRest();
}

bool FlowDriver::waitForRest(int timeoutMs)
{
    const auto resting = [this] {
        if (shown("doneButton") || shown("errorLabel"))
            return true;
        if (shown("nextPushButton"))
            return widget<QPushButton>("nextPushButton")->isEnabled();
        // Update layout after a detection: a start button waits.
        return shown("recFanControlButton") && widget<QPushButton>("recFanControlButton")->isEnabled();
    };
    const bool rests = waitWithoutSleeping(resting, timeoutMs);
    recordStatus();
    return rests;
}

QString FlowDriver::text(const char *name) const
{
    QObject *object = window()->findChild<QObject *>(name);
    return object ? object->property("text").toString() : QString("<no widget %1>").arg(name);
}

bool FlowDriver::shown(const char *name) const
{
    auto *w = widget<QWidget>(name);
    return w && w->isVisible();
}

void FlowDriver::forgetRecord()
{
    statusTexts.clear();
    waitingTexts.clear();
    values.clear();
}

void FlowDriver::close()
{
    dashboard.reset();
}

void FlowDriver::recordStatus()
{
    const QString waiting = text("waitingLabel");
    if (!waiting.isEmpty() && (waitingTexts.isEmpty() || waitingTexts.last() != waiting))
        waitingTexts.append(waiting);
    const QString status = text("statusLabel");
    if (!statusTexts.isEmpty() && statusTexts.last() == status)
        return;
    statusTexts.append(status);
}

}  // namespace guitest
