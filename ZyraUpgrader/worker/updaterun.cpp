#include "updaterun.h"

#include <QDebug>
#include <QThread>

#include "devicetypes.h"
#include "stepmessages.h"
#include "updaterthread.h"
#include "workererrors.h"
#include "workerexit.h"
#include "workerthread.h"

namespace {

// Amount a run without a video-module stage starts from.
constexpr int videoModuleStageProgress = 1000;

const QString videoModuleText = "Updating Video Module";
const QString radio1Text = "Updating Radio 1 of 2";
const QString radio2Text = "Updating Radio 2 of 2";
const QString restoringText = "Restoring Device";
const QString configurationText = "Updating device configuration ";

}  // namespace

UpdateRun::UpdateRun(vx_zyra_t *handle, QObject *parent) : QObject(parent), handle_(handle)
{
    // The worker's thread ends a moment after its last report, which may
    // already have let the user leave.
    for (auto end : {&UpdateRun::succeeded, &UpdateRun::stopped})
        connect(this, end, this, [this] { endReported_ = true; });
    connect(this, &UpdateRun::failed, this, [this] { endReported_ = true; });
    connect(this, &UpdateRun::recoveryRequested, this, [this] { endReported_ = true; });
}

UpdateRun::~UpdateRun() = default;

void UpdateRun::setUnitPort(const QString &portPath)
{
    unitPort_ = portPath;
}

void UpdateRun::createRun(Kind kind, int deviceType)
{
    detecting_ = kind == Kind::Detection;
    recovering_ = kind == Kind::Recovery;
    stopRequested_ = false;
    succeeded_ = false;
    endReported_ = false;
    worker_ = new UpdaterThread(nullptr);
    thread_ = workerthread::adopt(worker_);
    worker_->handle = handle_;
    worker_->setUnitPort(unitPort_);
    worker_->deviceType = deviceType;
    worker_->recoveryMode = recovering_;
    if (kind == Kind::Update) {
        worker_->eepromSettings = &eepromSettings_;
        worker_->storagePending = true;
    }

    connect(worker_, &UpdaterThread::error, this, &UpdateRun::failed);
    connect(worker_, &UpdaterThread::waiting, this, &UpdateRun::waiting);
    workerthread::endOn(worker_.data(), &UpdaterThread::error);
    connect(thread_, &QThread::finished, this, &UpdateRun::threadFinished);
    if (kind == Kind::Detection) {
        connect(worker_, &UpdaterThread::detected, this, &UpdateRun::detected);
        workerthread::endOn(worker_.data(), &UpdaterThread::detected);
    } else {
        connect(worker_, &UpdaterThread::startRecoveryMode, this, &UpdateRun::onRecoveryRequested);
        workerthread::endOn(worker_.data(), &UpdaterThread::startRecoveryMode);
        connect(worker_, &UpdaterThread::valueChanged, this, &UpdateRun::onProgress);
        connect(worker_, &UpdaterThread::settingNotKept, this, &UpdateRun::settingNotKept);
        connect(worker_, &UpdaterThread::dfuProgrammerNotPresent, this,
                [this](const QString &message) { emit failed(message, noErrorCode); });
        workerthread::endOn(worker_.data(), &UpdaterThread::dfuProgrammerNotPresent);
    }
    emit workerCreated(worker_);
}

void UpdateRun::startRun(const char *firstStep, const QString &firstText, int startProgress)
{
    totalProgress_ = startProgress;
    currentStep_ = firstText;
    if (!firstText.isEmpty()) {
        emit stepStarted(firstText);
        emit progressed(totalProgress_, progressTotal);
    }
    workerthread::start(worker_, firstStep);
}

void UpdateRun::detect(int deviceType)
{
    createRun(Kind::Detection, deviceType);
    qDebug() << "CREATING DETECT THREAD";
    startRun(SLOT(detectDevice()), QString(), 0);
}

QString UpdateRun::unitNotAnsweringMessage()
{
    return QString("%1\n\n%2\n\nError Code: %3")
        .arg(stepmessages::unitNotAnswering, stepmessages::powerCycleAdvice)
        .arg(workererrors::unitNotAnswering);
}

void UpdateRun::update(int deviceType, uint8_t fanControlMode)
{
    unansweredRecoveries_ = 0;
    eepromSettings_.fan_ctrl_mode = fanControlMode;
    createRun(Kind::Update, deviceType);
    qDebug() << "CREATING UPDATE THREAD";
    qDebug() << "starting with update";
    if (DeviceTypes::hasVideoModule(deviceType)) {
        connect(worker_, &UpdaterThread::finished, this, &UpdateRun::onReconnected);
        startRun(SLOT(updateZYRA()), videoModuleText, 0);
    } else {
        connect(worker_, &UpdaterThread::finished, this, &UpdateRun::onApplicationUpdated);
        startRun(SLOT(updateAPPFW()), radio1Text, videoModuleStageProgress);
    }
}

void UpdateRun::recover(int deviceType)
{
    createRun(Kind::Recovery, deviceType);
    qDebug() << "CREATING RECONNECT THREAD";
    connect(worker_, &UpdaterThread::finished, this, &UpdateRun::onReconnected);
    qDebug() << "starting with radio update";
    startRun(SLOT(reconnect2Device()), radio1Text, videoModuleStageProgress);
}

void UpdateRun::stopAfterCurrentStep()
{
    stopRequested_ = true;
}

bool UpdateRun::inProgress() const
{
    return !endReported_ && thread_ && thread_->isRunning();
}

bool UpdateRun::detecting() const
{
    return detecting_;
}

void UpdateRun::releaseWorkerOnExit(const char *stillRunningWarning, int exitStatus)
{
    // A run that stopped, failed or finished has its worker delete itself as
    // the thread ends, which worker_ notices: handed over before the wait, it
    // would be deleted twice.
    ::releaseWorkerOnExit(thread_, nullptr, stillRunningWarning, exitStatus);
    delete worker_;
}

QString UpdateRun::currentStep() const
{
    return currentStep_;
}

int UpdateRun::progress() const
{
    return totalProgress_;
}

bool UpdateRun::stopHere()
{
    if (!stopRequested_)
        return false;
    qDebug() << "STOPPING AFTER THE CURRENT STEP";
    endRun();
    emit stopped();
    return true;
}

void UpdateRun::endRun()
{
    thread_->quit();
}

// The worker's next step is started from here, after finished() has been
// re-wired for it: a step that ends at once can then never reach the links
// of the step before it.
void UpdateRun::handOver(Reaction done, Reaction next, const char *nextStep, const QString &nextText)
{
    if (stopHere())
        return;
    currentStep_ = nextText;
    emit stepStarted(nextText);
    disconnect(worker_, &UpdaterThread::finished, this, done);
    connect(worker_, &UpdaterThread::finished, this, next);
    QMetaObject::invokeMethod(worker_, nextStep, Qt::QueuedConnection);
}

void UpdateRun::finishRunAfter(Reaction done, const QString &lastText)
{
    workerthread::endOn(worker_.data(), &UpdaterThread::finished);
    handOver(done, &UpdateRun::onStorageUpdated, "updateStorage", lastText);
}

void UpdateRun::onReconnected()
{
    emit reconnected();
    handOver(&UpdateRun::onReconnected, &UpdateRun::onApplicationUpdated, "updateAPPFW", radio1Text);
}

void UpdateRun::onApplicationUpdated()
{
    // A second application step in this run installs the normal image.
    worker_->recoveryMode = false;
    emit applicationUpdated();
    handOver(&UpdateRun::onApplicationUpdated, &UpdateRun::onMacUpdated, "updateMACFW", radio2Text);
}

void UpdateRun::onMacUpdated()
{
    emit macUpdated();
    if (recovering_)
        handOver(&UpdateRun::onMacUpdated, &UpdateRun::onApplicationReUpdated, "updateAPPFW", restoringText);
    else
        finishRunAfter(&UpdateRun::onMacUpdated, configurationText);
}

void UpdateRun::onApplicationReUpdated()
{
    emit applicationReUpdated();
    finishRunAfter(&UpdateRun::onApplicationReUpdated, configurationText);
}

// A unit that opens but never answers (its radio stuck in a firmware
// transfer, say) would otherwise send the user round the recovery
// procedure for ever.
void UpdateRun::onRecoveryRequested(int unitStatus)
{
    if (unitStatus == workererrors::recoveryUnitUnreachable || !recovering_) {
        unansweredRecoveries_ = 0;
        emit recoveryRequested(unitStatus);
        return;
    }
    if (++unansweredRecoveries_ < unansweredRecoveryLimit) {
        emit recoveryRequested(unitStatus);
        return;
    }
    qDebug() << "THE UNIT OPENS BUT DOES NOT ANSWER; NO FURTHER RECOVERY";
    // The worker has let go of the open handle with its last signal.
    if (handle_->devh)
        vx_zyra_disconnect(handle_);
    emit failed(unitNotAnsweringMessage(), workererrors::unitNotAnswering);
}

void UpdateRun::onStorageUpdated()
{
    unansweredRecoveries_ = 0;
    totalProgress_ = progressTotal;
    succeeded_ = true;
    emit progressed(totalProgress_, progressTotal);
    emit succeeded();
}

// The configuration step reports its share after it has finished, when the
// run already stands at its total.
void UpdateRun::onProgress(int amount)
{
    if (succeeded_)
        return;
    totalProgress_ += amount;
    emit progressed(totalProgress_, progressTotal);
}
