// Abandoning a running settings task from the progress dialog: the report
// never comes, the window is free again, and a task that does not end is
// stopped forcibly with an offer to quit. The procedure's 500 ms pauses are
// counted instead of waited.
#include <QComboBox>
#include <QCoreApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <thread>

#include "commstaskhost.h"
#include "settings/configuration.h"
#include "settings/modeselectiondialog.h"
#include "settingstest.h"
#include "zyra_sim/bus.h"
#include "zyracommsthread.h"

using namespace settingstest;
using Bytes = zyra_sim::Bytes;

namespace {

const QString quitQuestion = "ZYRA Connection Status: There appears to be an error canceling comms with the "
                             "device; would you like to quit the application?";
const char *const forcedStopLine = "STOPPING COMMS THREAD";

// The progress dialog as the cancel procedure shows it.
struct CancellingView {
    bool visible = false;
    QString label;
    Qt::WindowFlags flags;
    bool hasCancelButton = true;
};

CancellingView viewOf(QProgressDialog *progress)
{
    return {progress->isVisible(), progress->labelText(), progress->windowFlags(),
            progress->findChild<QPushButton *>() != nullptr};
}

}  // namespace

class CancelTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void cancelWhileReadingEndsWithoutReport();
    void cancelWhileWritingEndsWithoutConfirmation();
    void hungTaskIsStoppedAndTheUserAskedToQuit();
    void closingTheWindowWaitsForTheRunningTask();

private:
    // A 2K transmitter's mode selection whose task, started by the button,
    // is held inside the unit at the command.
    bool holdTask(uint8_t command, const char *button);
    void pressCancel();

    std::shared_ptr<zyra_sim::VirtualUnit> unit;
    std::unique_ptr<modeSelectionDialog> window;
    std::unique_ptr<CommandGate> gate;  // released before the window joins its thread
    CommsTaskHost *host = nullptr;
};

void CancelTest::cleanup()
{
    gate.reset();
    window.reset();
    CommsTaskHost::setPause(nullptr);
    emptyBus();
}

bool CancelTest::holdTask(uint8_t command, const char *button)
{
    unit = attachUnit(1);
    window = openModeSelection(4);
    host = window->findChild<CommsTaskHost *>();
    gate = std::make_unique<CommandGate>();
    gate->install(*unit, command);
    QTest::mouseClick(window->findChild<QPushButton *>(button), Qt::LeftButton);
    return QTest::qWaitFor([this] { return gate->reached(); }, 10000);
}

void CancelTest::pressCancel()
{
    QTest::mouseClick(host->progressDialog()->findChild<QPushButton *>(), Qt::LeftButton);
}

void CancelTest::cancelWhileReadingEndsWithoutReport()
{
    ModalScript script;
    QVERIFY(holdTask(code::storageGet, "configModeButton"));
    QVector<int> pauses;
    CancellingView duringCancel;
    CommsTaskHost::setPause([&](int ms) {
        pauses << ms;
        duringCancel = viewOf(host->progressDialog());
        gate->release();
        host->workerThread()->wait(30000);
    });

    pressCancel();
    QTRY_VERIFY(!pauses.isEmpty());
    QVERIFY(!host->progressDialog()->isVisible());

    QCOMPARE(pauses, QVector<int>{500});
    QVERIFY(duringCancel.visible);
    QCOMPARE(duringCancel.label, QString("Canceling connection operation..."));
    QCOMPARE(duringCancel.flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY2(!(duringCancel.flags & Qt::WindowCloseButtonHint), "closing would ask to cancel again");
    QVERIFY2(!duringCancel.hasCancelButton, "cancelling cannot be cancelled");
    QVERIFY(!host->worker()->isBusy());
    QTest::qWait(50);
    QVERIFY2(script.unexpected().isEmpty(), "the region dialog must not open for a cancelled read");
    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
}

void CancelTest::cancelWhileWritingEndsWithoutConfirmation()
{
    ModalScript script;
    script.expect("Configuration", [](QWidget *dialog) {
        dialog->findChild<QComboBox *>("countryComboBox")->setCurrentIndex(2);
        QTest::mouseClick(dialog->findChild<QPushButton *>("applyButton"), Qt::LeftButton);
    });
    QVERIFY(holdTask(code::storageSet, "configModeButton"));
    QVERIFY(script.finished());
    int pauses = 0;
    CommsTaskHost::setPause([&](int) {
        ++pauses;
        gate->release();
        host->workerThread()->wait(30000);
    });

    pressCancel();
    QTRY_COMPARE(pauses, 1);
    QVERIFY(!host->progressDialog()->isVisible());

    QTest::qWait(50);
    QVERIFY2(script.unexpected().isEmpty() && script.boxes().isEmpty(), "no confirmation for a cancelled write");
    QVERIFY(!host->worker()->isBusy());
    // A cancelled task still runs to its end: the write itself is not undone.
    QCOMPARE(unit->storage(1), Bytes{2});
}

void CancelTest::hungTaskIsStoppedAndTheUserAskedToQuit()
{
    DebugLog log;
    QVector<int> forcedStopsBeforePause;
    CommsTaskHost::setPause([&](int) { forcedStopsBeforePause << log.count(forcedStopLine); });
    ModalScript script;
    script.answerBox("No");
    script.answerBox("Yes");
    QVERIFY(holdTask(code::storageGet, "configModeButton"));

    pressCancel();
    // The procedure runs from the event loop; "Yes" ends the loop the way it
    // ends the program. Should it not, the guard does.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
    guard.start(60000);
    QCoreApplication::exec();
    QVERIFY2(guard.isActive(), "the quit question's Yes should have ended the event loop");
    guard.stop();

    QCOMPARE(script.boxes(), (QStringList{quitQuestion, quitQuestion}));
    QCOMPARE(forcedStopsBeforePause.size(), 59);  // Yes after the 59th pause
    QCOMPARE(forcedStopsBeforePause.at(9), 0);    // before the 10th pause
    QCOMPARE(forcedStopsBeforePause.at(10), 1);   // stopped after the 10th
    QCOMPARE(forcedStopsBeforePause.at(29), 2);   // and again with the question after the 29th
    QCOMPARE(forcedStopsBeforePause.at(58), 2);
    QCOMPARE(log.count(forcedStopLine), 3);  // and after the 59th
    QVERIFY(!host->progressDialog()->isVisible());
    QVERIFY(!host->worker()->isBusy());

    // The unit answers at last; its late report must not pass for the next task's.
    gate->release();
    QVERIFY(host->workerThread()->wait(30000));
    script.expect("ConfigFreqChannelsDialog", [](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });
    QVERIFY2(runRoundTrip(*window, "configFreqChannelsButton", script),
             qPrintable("the next task should open the frequency dialog alone, seen also: " +
                        script.unexpected().join(", ")));
}

void CancelTest::closingTheWindowWaitsForTheRunningTask()
{
    QVERIFY(holdTask(code::storageGet, "configModeButton"));

    // The unit answers a moment after the window starts closing.
    std::thread unitAnswers([this] {
        QThread::msleep(100);
        gate->release();
    });
    window.reset();
    unitAnswers.join();

    QCOMPARE(zyra_sim::Bus::instance().openHandles(), 0);
    QCOMPARE(storageGetCount(*unit, 1), 2);
}

QTEST_MAIN(CancelTest)
#include "cancel_test.moc"
