#include "pairingtest.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include "zyra_sim/bus.h"

namespace pairingtest {

std::shared_ptr<zyra_sim::VirtualUnit> plugIn(uint8_t side, uint8_t mode)
{
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(side);
    unit->setStorage(1, {6});
    unit->setStorage(side == 1 ? 8 : 7, {mode});
    zyra_sim::Bus::instance().attach(unit);
    return unit;
}

uint8_t storedMode(const zyra_sim::VirtualUnit &unit)
{
    const auto value = unit.storage(unit.side() == 1 ? 8 : 7);
    return value && value->size() == 1 ? value->front() : 0;
}

void click(QWidget *window, const char *buttonName)
{
    auto *button = window->findChild<QPushButton *>(buttonName);
    QVERIFY2(button, buttonName);
    QTest::mouseClick(button, Qt::LeftButton);
}

bool waitUntilShown(QWidget *window)
{
    return QTest::qWaitFor([window] { return window->isVisible(); }, 10000);
}

namespace {

QMutex holdMutex;
QString heldLine;
int heldMs = 0;
QtMessageHandler previousHandler = nullptr;

void holdAfterLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (previousHandler)
        previousHandler(type, context, message);
    int hold = 0;
    {
        QMutexLocker locker(&holdMutex);
        if (message == heldLine)
            hold = heldMs;
    }
    if (hold > 0)
        QThread::msleep(static_cast<unsigned long>(hold));
}

}  // namespace

TraceHold::TraceHold(const QString &line, int ms)
{
    QMutexLocker locker(&holdMutex);
    heldLine = line;
    heldMs = ms;
    previousHandler = qInstallMessageHandler(holdAfterLine);
}

TraceHold::~TraceHold()
{
    qInstallMessageHandler(previousHandler);
    QMutexLocker locker(&holdMutex);
    heldLine.clear();
    heldMs = 0;
}

}  // namespace pairingtest
