// Abandoning a running settings task from the progress dialog: the report
// never comes, the window is free again, and a task that does not end is
// stopped forcibly with an offer to quit. The procedure's 500 ms pauses are
// counted instead of waited.
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
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
    void everyCancelPathKeepsTheWindowLive_data();
    void everyCancelPathKeepsTheWindowLive();

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
    const QPointer<QThread> stuckThread = host->workerThread();

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
    QCOMPARE(forcedStopsBeforePause.at(10), 1);   // left behind after the 10th, once
    QCOMPARE(log.count(forcedStopLine), 1);
    QVERIFY(!host->progressDialog()->isVisible());
    QVERIFY(!host->worker()->isBusy());

    // The unit answers at last; its late report must not pass for the next task's.
    QVERIFY2(host->workerThread() != stuckThread, "the next task should not wait for the stuck one");
    gate->release();
    QTRY_VERIFY2(!stuckThread, "the task left behind is deleted once it ends");
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

namespace {

// The longest the GUI thread went without running its timers.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        since.start();
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, this, [this] { longestMs = std::max(longestMs, since.restart()); });
        ticker.start();
    }
    qint64 longest() const { return std::max(longestMs, since.elapsed()); }

private:
    QTimer ticker;
    QElapsedTimer since;
    qint64 longestMs = 0;
};

enum class Trigger {
    CancelButton,
    Escape,
    WindowClose
};
enum class DuringCancel {
    Nothing,
    Escape,
    WindowClose,
    SettingsButton
};

}  // namespace

Q_DECLARE_METATYPE(Trigger)
Q_DECLARE_METATYPE(DuringCancel)

void CancelTest::everyCancelPathKeepsTheWindowLive_data()
{
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<DuringCancel>("during");
    QTest::addColumn<int>("unitAnswersAtPause");  // 0: not before the end
    QTest::addColumn<QString>("answer");          // to the quit question, if any
    QTest::addColumn<bool>("quits");

    QTest::newRow("Cancel") << Trigger::CancelButton << DuringCancel::Nothing << 3 << "" << false;
    QTest::newRow("Escape, then Escape") << Trigger::Escape << DuringCancel::Escape << 3 << "" << false;
    QTest::newRow("close, then close") << Trigger::WindowClose << DuringCancel::WindowClose << 3 << "" << false;
    QTest::newRow("second button press") << Trigger::CancelButton << DuringCancel::SettingsButton << 3 << "" << false;
    QTest::newRow("No to quitting") << Trigger::CancelButton << DuringCancel::Nothing << 35 << "No" << false;
    QTest::newRow("Yes to quitting") << Trigger::CancelButton << DuringCancel::Nothing << 0 << "Yes" << true;
}

// The unit holds its answer; whatever ends the wait, the GUI thread never
// stalls, the progress dialog stays up and modal until the cancel is over,
// one cancel procedure runs at a time, and no report comes.
void CancelTest::everyCancelPathKeepsTheWindowLive()
{
    QFETCH(Trigger, trigger);
    QFETCH(DuringCancel, during);
    QFETCH(int, unitAnswersAtPause);
    QFETCH(QString, answer);
    QFETCH(bool, quits);

    ModalScript script;
    if (!answer.isEmpty())
        script.answerBox(answer);
    QVERIFY(holdTask(code::storageGet, "configModeButton"));
    QProgressDialog *progress = host->progressDialog();
    const QPointer<QThread> task = host->workerThread();
    // Should the program block the GUI thread on the held unit, the unit
    // answers after a while, so that the stall shows as a figure.
    std::atomic<bool> over{false};
    std::thread unblock([gate = gate.get(), &over] {
        for (int ms = 0; ms < 2000 && !over; ms += 10)
            QThread::msleep(10);
        gate->release();
    });

    int pauses = 0;
    int depth = 0;
    int deepest = 0;
    QStringList lapses;
    CommsTaskHost::setPause([&](int) {
        deepest = std::max(deepest, ++depth);
        ++pauses;
        if (pauses == 2) {
            if (during == DuringCancel::Escape)
                QTest::keyClick(progress, Qt::Key_Escape);
            if (during == DuringCancel::WindowClose)
                progress->close();
            if (during == DuringCancel::SettingsButton)
                QTest::mouseClick(window->findChild<QPushButton *>("configModeButton"), Qt::LeftButton);
        }
        if (pauses == unitAnswersAtPause) {
            gate->release();
            if (!QTest::qWaitFor([&] { return !task || task->isFinished(); }, 10000))
                lapses << "the task did not end";
        }
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
        if (!progress->isVisible() || progress->labelText() != "Canceling connection operation..." ||
            !QApplication::activeModalWidget())
            lapses << QString::number(pauses);
        --depth;
    });

    StallMeter stalls;
    constexpr int stillRunning = 42;
    QTimer::singleShot(0, progress, [&] {
        if (trigger == Trigger::CancelButton)
            pressCancel();
        if (trigger == Trigger::Escape)
            QTest::keyClick(progress, Qt::Key_Escape);
        if (trigger == Trigger::WindowClose)
            progress->close();
    });
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (pauses > 0 && !progress->isVisible())
            QCoreApplication::exit(stillRunning);
    });
    watch.start(5);
    const int loopResult = QCoreApplication::exec();
    watch.stop();
    const qint64 longestStall = stalls.longest();
    over = true;
    unblock.join();

    qInfo("longest GUI stall: %lld ms", longestStall);
    QVERIFY2(longestStall <= 100, qPrintable(QString("the GUI thread stalled %1 ms").arg(longestStall)));
    QVERIFY2(lapses.isEmpty(), qPrintable("the dialog was down or not modal after pause " + lapses.join(", ")));
    QCOMPARE(deepest, 1);
    QCOMPARE(loopResult == stillRunning, !quits);
    QVERIFY(!progress->isVisible());
    QVERIFY(script.finished());
    QVERIFY2(script.unexpected().isEmpty(), "no report for a cancelled task");
    QVERIFY(!host->worker()->isBusy());
    QTRY_VERIFY2(!task || task->isFinished(), "the held task ends once the unit answers");
}

QTEST_MAIN(CancelTest)
#include "cancel_test.moc"
