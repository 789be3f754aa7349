#include "updaterthread.h"

#include "devicetypes.h"
#include "dfuprogrammer.h"
#include "firmwarepackage.h"
#include "packagefaults.h"
#include "signoflife.h"
#include "stepmessages.h"
#include "unitbench.h"
#include "unitconnection.h"
#include "workerclock.h"
#include "workererrors.h"

#include <QDebug>
#include <QTemporaryFile>

namespace {

const char noDeviceOverUsb[] = "Error, no device Detected.\n\nPlease check your USB connection";
const char noDeviceInDfuMode[] = "Error, no device Detected.\n\nPlease check your USB connection ";
const int usbConnectAttempts = 4;
const int dumpRuns = 5;
// The XMEGA image keeps its "FW" version line near the end of the dump.
const qint64 versionAreaBytes = 512;
// U+FFFD as UTF-8, read back as Latin-1: how the version text ends, unless
// erased flash (0xFF) follows it directly.
const QString versionEnd = QString::fromLatin1("\xEF\xBF\xBD");
const QChar erasedByte(0xFF);

// A dump line as text: its bytes up to the first zero byte, as Latin-1.
QString lineText(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? bytes : bytes.left(zero));
}

// The version texts in the lines of the dump's last bytes, in file order.
QStringList versionTexts(QIODevice &dump)
{
    QStringList texts;
    while (!dump.atEnd()) {
        const QString line = lineText(dump.readLine());
        const int marker = line.indexOf("FW");
        if (marker < 0)
            continue;
        const int start = marker + 2;
        int end = line.indexOf(versionEnd, start);
        const int erased = line.indexOf(erasedByte, start);
        if (erased >= 0 && (end < 0 || erased < end))
            end = erased;
        texts.append(end < 0 ? line.mid(start) : line.mid(start, end - start));
    }
    return texts;
}

}  // namespace

UpdaterThread::UpdaterThread(QObject *parent)
    : QObject(parent),
      handle(nullptr),
      eepromSettings(nullptr),
      deviceType(0),
      pairingInProgress(false),
      recoveryMode(false),
      storageFile("storage.ini"),
      storagePending(false),
      region(0),
      transmissionMode(0),
      frequencyChannels{},
      regionSaved(usercells::Read::value),
      transmissionModeSaved(usercells::Read::value),
      frequencyChannelsSaved(usercells::Read::value),
      signOfLife_(
          std::make_unique<SignOfLife>([this](const QString &what, int seconds) { emit waiting(what, seconds); }))
{
    // Direct: on the thread that reports, as it reports.
    connect(this, &UpdaterThread::valueChanged, [this] { signOfLife_->shown(); });
}

UpdaterThread::~UpdaterThread() = default;

void UpdaterThread::setUnitPort(const QString &portPath)
{
    unitPort_ = portPath;
}

void UpdaterThread::fail(const QString &headline, int errorCode)
{
    fail(headline, errorCode, errorCode);
}

void UpdaterThread::fail(const QString &headline, int shownCode, int errorCode)
{
    emit error(QString("%1\n\nError Code: %2").arg(headline).arg(shownCode), errorCode);
}

bool UpdaterThread::packageIsSound(bool withXmegaImage, bool withRecoveryImages)
{
    const FirmwarePackage::Fault fault = updateRunFault(deviceType, withXmegaImage, withRecoveryImages, storageFile);
    if (fault == FirmwarePackage::Fault::none)
        return true;
    const PackageFaultError error = packageFaultError(fault);
    fail(error.headline, error.errorCode);
    return false;
}

bool UpdaterThread::chosenUnitIsSound(bool unitMayBeAway, bool pairingStep)
{
    const UnitBench::Fault fault = UnitBench::attached().fault(unitPort_, unitMayBeAway);
    if (!fault.headline)
        return true;
    qDebug() << "NOT WORKING ON THE UNIT CHOSEN AS" << unitPort_ << fault.errorCode;
    fail(fault.headline, fault.errorCode, pairingStep ? workererrors::pairingKeepsSession : fault.errorCode);
    return false;
}

void UpdaterThread::closeLostUnit()
{
    if (handle->devh)
        vx_zyra_disconnect(handle);
}

void UpdaterThread::detectDevice()
{
    if (!chosenUnitIsSound())
        return;
    const Waiting waiting(*signOfLife_, DeviceTypes::hasVideoModule(deviceType) ? stepmessages::waitingForVideoModule
                                                                                : stepmessages::waitingForUnit);
    if (DeviceTypes::hasVideoModule(deviceType))
        detectInDfuMode();
    else
        detectOverUsb();
}

void UpdaterThread::detectOverUsb()
{
    if (connectWithPauses(handle, unitPort_, usbConnectAttempts, 1) != VX_ZYRA_OK) {
        fail(noDeviceOverUsb, workererrors::noDeviceOverUsb);
        return;
    }
    vx_zyra_get_info(handle);
    emit detected(QString("%1.%2.%3")
                      .arg(VX_ZYRA_API_MAJOR_VERSION)
                      .arg(VX_ZYRA_API_MINOR_VERSION)
                      .arg(VX_ZYRA_API_BUILD_VERSION));
}

void UpdaterThread::detectInDfuMode()
{
    const QString program = DfuProgrammer::locate();
    if (program.isEmpty()) {
        fail(noDeviceInDfuMode, workererrors::dfuProgrammerMissingForDetection);
        return;
    }
    DfuProgrammer dfu(program, unitPort_);
    DfuProgrammer::Run dump = dfu.run({"dump"});
    for (int run = 1; run < dumpRuns && !dump.succeeded(); ++run) {
        dump = dfu.run({"dump"});
        workerclock::sleepSeconds(1);
    }
    if (!dump.succeeded()) {
        fail(noDeviceInDfuMode, workererrors::dumpFailed);
        return;
    }
    QTemporaryFile file;
    if (!file.open()) {
        fail(noDeviceInDfuMode, workererrors::dumpFileUnavailable);
        return;
    }
    file.write(dump.standardOutput);
    file.seek(qMax<qint64>(0, file.size() - versionAreaBytes));
    const QStringList texts = versionTexts(file);
    for (const QString &text : texts)
        emit detected(text);
    if (texts.isEmpty())
        emit detected(QString());
}
