#include "worker_fixture.h"

#include "wire_codes.h"
#include "workerclock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

// The clock is read before the log's mutex is taken: the model's mutex may
// be held by the thread that records.
void SignalLog::record(const QString &event)
{
    const int64_t now = zyra_sim::Clock::instance().nowMs();
    QMutexLocker lock(&mutex_);
    events_.append(event);
    stamp(event, now);
}

void SignalLog::recordSignOfLife(const QString &event)
{
    const int64_t now = zyra_sim::Clock::instance().nowMs();
    QMutexLocker lock(&mutex_);
    signsOfLife_.append(event);
    stamp(event, now);
}

QStringList SignalLog::signsOfLife() const
{
    QMutexLocker lock(&mutex_);
    return signsOfLife_;
}

void SignalLog::clear()
{
    QMutexLocker lock(&mutex_);
    events_.clear();
    signsOfLife_.clear();
    longestSilenceMs_ = 0;
    longestSilenceEndedBy_.clear();
}

void SignalLog::stamp(const QString &event, int64_t now)
{
    if (!watching_)
        return;
    if (now - lastMs_ > longestSilenceMs_) {
        longestSilenceMs_ = now - lastMs_;
        longestSilenceEndedBy_ = event;
    }
    lastMs_ = now;
}

void SignalLog::resume()
{
    const int64_t now = zyra_sim::Clock::instance().nowMs();
    QMutexLocker lock(&mutex_);
    watching_ = true;
    lastMs_ = now;
}

void SignalLog::pause()
{
    const int64_t now = zyra_sim::Clock::instance().nowMs();
    QMutexLocker lock(&mutex_);
    stamp("the run's end", now);
    watching_ = false;
}

int64_t SignalLog::longestSilenceMs() const
{
    QMutexLocker lock(&mutex_);
    return longestSilenceMs_;
}

QString SignalLog::longestSilenceEndedBy() const
{
    QMutexLocker lock(&mutex_);
    return longestSilenceEndedBy_;
}

QStringList SignalLog::events() const
{
    QMutexLocker lock(&mutex_);
    return events_;
}

QStringList SignalLog::milestones() const
{
    QStringList kept;
    for (const QString &event : events()) {
        if (!event.startsWith("progress ") || event.mid(9).toInt() > 100)
            kept.append(event);
    }
    return kept;
}

QList<int> SignalLog::libraryProgress() const
{
    QList<int> values;
    for (const QString &event : events()) {
        if (event.startsWith("progress ") && event.mid(9).toInt() <= 100)
            values.append(event.mid(9).toInt());
    }
    return values;
}

NoTemporaryFiles::NoTemporaryFiles() : previous_(qgetenv("TMPDIR"))
{
    qputenv("TMPDIR", "/proc");
}

NoTemporaryFiles::~NoTemporaryFiles()
{
    qputenv("TMPDIR", previous_);
}

ShortProcessWait::ShortProcessWait()
{
    workerclock::setProcessWaitMs(300);
}

ShortProcessWait::~ShortProcessWait()
{
    workerclock::setProcessWaitMs(30000);
}

std::shared_ptr<int> ignoreNext(zyra_sim::VirtualUnit &unit, uint8_t code, int count)
{
    auto left = std::make_shared<int>(count);
    unit.onCommand(code, [left](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &frame) {
        if ((*left)-- <= 0)
            u.handleNormally(frame);
    });
    return left;
}

uint8_t sideOf(int deviceType)
{
    return deviceType == 0 || deviceType == 1 || deviceType == 4 ? VX_ZYRA_TX : VX_ZYRA_RX;
}

void answerSideWith(zyra_sim::VirtualUnit &unit, uint8_t side)
{
    const uint8_t getSide = wire::GET_SIDE;
    unit.onCommand(getSide,
                   [side](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) { u.respond(getSide, {side}); });
}

std::vector<uint16_t> storageIds(const zyra_sim::VirtualUnit &unit, uint8_t code)
{
    std::vector<uint16_t> ids;
    for (const zyra_sim::ReceivedFrame &frame : unit.framesWithCode(code))
        ids.push_back(static_cast<uint16_t>(frame.payload.at(0) | frame.payload.at(1) << 8));
    return ids;
}

QString errorEvent(int code, const QString &text)
{
    return QString("error %1: %2").arg(code).arg(text);
}

void WorkerFixture::SetUp()
{
    ASSERT_TRUE(directory.isValid());
    copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware", path("firmware"));
    copyDirectory(ZYRA_SAMPLE_PACKAGE_DIR "/firmware2k", path("firmware2k"));
    QDir().mkpath(path("utils"));
    ASSERT_TRUE(QFile::link(ZYRA_DFU_STANDIN, path("utils/dfu-programmer")));
    QDir().mkpath(path("state"));
    // The stand-in validates a flash-eeprom against the EEPROM; 0.6.1's own
    // check against the flash is the subject of real_dfu_worker_test.
    xmega().setEepromReadBack(true);
    // Nothing on PATH: the installed dfu-programmer must never be found.
    QDir().mkpath(path("empty-bin"));
    previousPath_ = qgetenv("PATH");
    qputenv("PATH", path("empty-bin").toLocal8Bit());
    qputenv("ZYRA_SIM_STATE_DIR", path("state").toLocal8Bit());
    previousDirectory_ = QDir::currentPath();
    QDir::setCurrent(directory.path());

    zyra_sim::Bus::instance().reset();
    zyra_sim::Bus::instance().setStateDir(path("state").toStdString());

    fanControl.fan_ctrl_mode = 2;
    worker = makeWorker();
}

void WorkerFixture::TearDown()
{
    if (handle.devh)
        vx_zyra_disconnect(&handle);
    worker.reset();
    zyra_sim::Bus::instance().reset();
    QDir::setCurrent(previousDirectory_);
    qputenv("PATH", previousPath_);
    qunsetenv("ZYRA_SIM_STATE_DIR");
}

void WorkerFixture::useDeviceType(int type)
{
    worker->deviceType = type;
    if (type == 2 || type == 5)
        return;
    std::vector<uint8_t> flash(zyra_dfu::applicationFlashBytes, 0xFF);
    const char marker[] = "FWv1.3";
    std::copy(marker, marker + sizeof marker, flash.begin() + 0x1DE00);
    xmega().setFlash(flash);
    xmega().setMode(zyra_dfu::Mode::Dfu);
}

std::shared_ptr<zyra_sim::VirtualUnit> WorkerFixture::attachUnit(uint8_t side)
{
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(side);
    zyra_sim::Bus::instance().attach(unit);
    return unit;
}

std::shared_ptr<zyra_sim::VirtualUnit> WorkerFixture::connectUnit(int deviceType)
{
    worker->deviceType = deviceType;
    auto unit = attachUnit(sideOf(deviceType));
    EXPECT_EQ(vx_zyra_connect(&handle), 0);
    EXPECT_EQ(vx_zyra_get_info(&handle), 0);
    return unit;
}

std::unique_ptr<UpdaterThread> WorkerFixture::makeWorker()
{
    auto made = std::make_unique<UpdaterThread>();
    made->handle = &handle;
    made->eepromSettings = &fanControl;
    recordSignals(made.get());
    return made;
}

void WorkerFixture::recordSignals(UpdaterThread *w)
{
    QObject::connect(w, &UpdaterThread::finished, [this] { log.record("finished"); });
    QObject::connect(w, &UpdaterThread::error,
                     [this](const QString &text, int code) { log.record(errorEvent(code, text)); });
    QObject::connect(w, &UpdaterThread::valueChanged,
                     [this](int value) { log.record(QString("progress %1").arg(value)); });
    QObject::connect(w, &UpdaterThread::detected, [this](const QString &text) { log.record("detected " + text); });
    QObject::connect(w, &UpdaterThread::startRecoveryMode,
                     [this](int status) { log.record(QString("recovery %1").arg(status)); });
    QObject::connect(w, &UpdaterThread::dfuProgrammerNotPresent,
                     [this](const QString &text) { log.record("dfuNotPresent " + text); });
    // The dialog may open the unit as soon as it hears of it.
    QObject::connect(w, &UpdaterThread::pairReady,
                     [this] { log.record(handle.devh ? "pairReady, unit still open" : "pairReady"); });
    QObject::connect(w, &UpdaterThread::settingNotKept, [this](const QString &note) { log.record("notKept " + note); });
    QObject::connect(w, &UpdaterThread::waiting, [this](const QString &what, int seconds) {
        log.recordSignOfLife(QString("waiting for %1, %2 s").arg(what).arg(seconds));
    });
}

zyra_dfu::XmegaState WorkerFixture::xmega() const
{
    return zyra_dfu::XmegaState(path("state").toStdString());
}

QString WorkerFixture::path(const QString &relative) const
{
    return directory.filePath(relative);
}

void WorkerFixture::writeFile(const QString &relative, const QByteArray &content)
{
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << relative.toStdString();
    file.write(content);
}

void WorkerFixture::removeFile(const QString &relative)
{
    ASSERT_TRUE(QFile::remove(path(relative))) << relative.toStdString();
}

QByteArray WorkerFixture::packageFile(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WorkerFixture::runChain(const std::vector<Step> &steps)
{
    QThread thread;
    UpdaterThread *w = worker.get();
    QThread *home = QThread::currentThread();
    w->moveToThread(&thread);
    QObject::connect(
        &thread, &QThread::started, w,
        [&] {
            for (const Step &step : steps) {
                const int finishedBefore = log.events().count("finished");
                step(*w);
                if (log.events().count("finished") == finishedBefore)
                    break;
            }
            w->moveToThread(home);
            thread.quit();
        },
        Qt::DirectConnection);
    struct Join {
        QThread &thread;
        ~Join() { thread.wait(); }
    } join{thread};
    thread.start();
}

int64_t WorkerFixture::virtualSeconds() const
{
    return zyra_sim::Clock::instance().nowMs() / 1000;
}
