#include "flowdriver.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "dashboard.h"
#include "guitest.h"
#include "modeselectiondialog.h"
#include "txrxdialog.h"

namespace guitest {

FlowDriver::FlowDriver() = default;

FlowDriver::~FlowDriver()
{
    close();
}

void FlowDriver::chooseDevice(int deviceType)
{
    const char *buttons[] = {"HDMITXpushButton", "SDITXpushButton", "HDMIRXpushButton",
                             "SDIRXpushButton", "TwoKTXpushButton", "TwoKRXpushButton"};
    QTest::mouseClick(topLevel<TxRxDialog>()->findChild<QPushButton *>(buttons[deviceType]), Qt::LeftButton);
}

void FlowDriver::openUpdate(int deviceType)
{
    dashboard = std::make_unique<DashBoard>();
    connect(widget<QProgressBar>("progressBar"), &QProgressBar::valueChanged, this,
            [this](int value) { recordBar(value); });
    chooseDevice(deviceType);
    openUpdateFromModeSelection();
}

void FlowDriver::openUpdateFromModeSelection()
{
    QTest::mouseClick(topLevel<modeSelectionDialog>()->findChild<QPushButton *>("updateModeButton"),
                      Qt::LeftButton);
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
    return QTest::qWaitFor(resting, timeoutMs);
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

QStringList FlowDriver::statuses() const
{
    QStringList texts;
    for (const auto &entry : record)
        if (texts.isEmpty() || texts.last() != entry.first)
            texts << entry.first;
    return texts;
}

void FlowDriver::forgetRecord()
{
    record.clear();
    values.clear();
}

void FlowDriver::close()
{
    dashboard.reset();
}

void FlowDriver::recordBar(int value)
{
    const QString status = text("statusLabel");
    const bool fresh = record.isEmpty() || record.last().first != status;
    record.append({status, value});
    values.append(value);
    if (fresh && onNewStatus)
        onNewStatus(status);
}

}  // namespace guitest
