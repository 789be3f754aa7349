#include "settingstest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "settings/modeselectiondialog.h"
#include "zyra_sim/bus.h"

namespace settingstest {

std::shared_ptr<zyra_sim::VirtualUnit> attachUnit(uint8_t side)
{
    emptyBus();
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(side);
    zyra_sim::Bus::instance().attach(unit);
    return unit;
}

void emptyBus()
{
    zyra_sim::Bus::instance().reset();
}

std::vector<uint16_t> storageSetIds(const zyra_sim::VirtualUnit &unit)
{
    std::vector<uint16_t> ids;
    for (const zyra_sim::ReceivedFrame &frame : unit.framesWithCode(code::storageSet))
        if (frame.payload.size() >= 2)
            ids.push_back(static_cast<uint16_t>(frame.payload[0] | frame.payload[1] << 8));
    return ids;
}

int storageGetCount(const zyra_sim::VirtualUnit &unit, uint16_t id)
{
    int count = 0;
    for (const zyra_sim::ReceivedFrame &frame : unit.framesWithCode(code::storageGet))
        if (frame.payload.size() >= 2 && (frame.payload[0] | frame.payload[1] << 8) == id)
            ++count;
    return count;
}

ModalScript::ModalScript()
{
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &ModalScript::poll);
    timer.start();
}

void ModalScript::expect(const char *className, Action action)
{
    steps.push_back({className, std::move(action)});
}

void ModalScript::answerBox(const QString &button)
{
    expect("QMessageBox", [this, button](QWidget *window) {
        auto *box = static_cast<QMessageBox *>(window);
        seenBoxes << box->windowTitle() + ": " + box->text();
        clickButton(box, button);
    });
}

void ModalScript::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || qobject_cast<QProgressDialog *>(modal))
        return;
    if (steps.empty() || !modal->inherits(steps.front().className)) {
        strays << modal->metaObject()->className();
        modal->close();
        return;
    }
    Step step = steps.front();
    steps.pop_front();
    step.action(modal);
}

bool clickButton(QWidget *parent, const QString &text)
{
    for (QAbstractButton *button : parent->findChildren<QAbstractButton *>()) {
        if (button->text().remove('&') == text && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

std::unique_ptr<modeSelectionDialog> openModeSelection(int deviceType)
{
    auto window = std::make_unique<modeSelectionDialog>();
    window->setDeviceType(deviceType);
    window->show();
    return window;
}

bool runRoundTrip(modeSelectionDialog &window, const char *button, const ModalScript &script)
{
    QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);
    const bool settled =
        QTest::qWaitFor([&script] { return script.finished() || !script.unexpected().isEmpty(); }, 10000);
    return settled && script.finished() && script.unexpected().isEmpty();
}

namespace {

QMutex logMutex;
QStringList *logLines = nullptr;
QtMessageHandler previousHandler = nullptr;

void recordLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker locker(&logMutex);
        if (logLines)
            logLines->append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

}  // namespace

DebugLog::DebugLog()
{
    QMutexLocker locker(&logMutex);
    logLines = new QStringList;
    previousHandler = qInstallMessageHandler(recordLine);
}

DebugLog::~DebugLog()
{
    qInstallMessageHandler(previousHandler);
    QMutexLocker locker(&logMutex);
    delete logLines;
    logLines = nullptr;
}

int DebugLog::count(const QString &text) const
{
    QMutexLocker locker(&logMutex);
    return logLines ? static_cast<int>(logLines->count(text)) : 0;
}

}  // namespace settingstest
