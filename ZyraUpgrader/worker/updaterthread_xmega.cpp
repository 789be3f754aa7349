// The video module: erasing, flashing and starting the XMEGA and writing
// its EEPROM, all through dfu-programmer.
#include "updaterthread.h"

#include "signoflife.h"

#include "dfuprogrammer.h"
#include "firmwarepackage.h"
#include "intelhex.h"
#include "stepmessages.h"
#include "workerclock.h"
#include "workererrors.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <vector>

namespace {

const int milestoneProgress = 1000;
const int eepromRuns = 5;
const qint64 eepromBytes = 2048;

// The run that failed, under the headline users know, and what mends it: the
// module may already be erased, and only a new update flashes it again.
QString dfuRunFailure(const char *run, int errorCode)
{
    return QString("Error while connecting to ZYRA\n\n%1 the video module failed.\n"
                   "Retry and update again: it is flashed anew.\n\nError Code: %2")
        .arg(run)
        .arg(errorCode);
}

// The raw EEPROM image as Intel HEX, the only form dfu-programmer reads.
bool writeEepromHex(const QString &rawImage, QTemporaryFile *hexImage)
{
    QFile raw(rawImage);
    if (!raw.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = raw.readAll();
    if (bytes.size() != eepromBytes || !hexImage->open())
        return false;
    const std::string text = intelhex::write({{0, std::vector<uint8_t>(bytes.begin(), bytes.end())}});
    const bool written =
        hexImage->write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
    hexImage->close();
    return written;
}

}  // namespace

void UpdaterThread::updateZYRA()
{
    if (!chosenUnitIsSound())
        return;
    const Waiting waiting(*signOfLife_, stepmessages::waitingForVideoModule);
    const QString program = DfuProgrammer::locate();
    if (program.isEmpty()) {
        fail(stepmessages::videoModuleFailed, workererrors::dfuProgrammerMissing);
        return;
    }
    // The whole package is checked before the erase, which would leave the XMEGA blank.
    if (!packageIsSound(true, false))
        return;
    const FirmwarePackage package(deviceType);

    DfuProgrammer dfu(program, unitPort_);
    emit valueChanged(milestoneProgress);
    if (!dfu.run({"erase"}).succeeded()) {
        emit dfuProgrammerNotPresent(dfuRunFailure("Erasing", workererrors::xmegaEraseFailed));
        return;
    }
    emit valueChanged(milestoneProgress);
    if (!dfu.run({"flash", "--suppress-bootloader-mem", package.nativePath(xmegaImageFile)}).succeeded()) {
        emit dfuProgrammerNotPresent(dfuRunFailure("Flashing", workererrors::xmegaFlashFailed));
        return;
    }
    flashEEPROM();
    if (!dfu.run({"start"}).succeeded()) {
        emit dfuProgrammerNotPresent(dfuRunFailure("Starting", workererrors::xmegaStartFailed));
        return;
    }
    reconnect2Device();
}

void UpdaterThread::flashEEPROM()
{
    QTemporaryFile rawImage;
    const bool rawWritten = eepromSettings && rawImage.open();
    if (rawWritten) {
        QByteArray name = rawImage.fileName().toLatin1();
        vx_zyra_write_eeprom_settings(name.data(), eepromSettings);
        rawImage.close();
    }
    const QString program = DfuProgrammer::locate();
    if (program.isEmpty()) {
        fail(stepmessages::videoModuleFailed, workererrors::dfuProgrammerMissingForEeprom);
        return;
    }
    QTemporaryFile hexImage(QDir::tempPath() + "/zyra-eeprom-XXXXXX.eep");
    if (!rawWritten || !writeEepromHex(rawImage.fileName(), &hexImage)) {
        qDebug() << "NO EEPROM IMAGE, EEPROM LEFT AS IT IS";
        if (eepromSettings)
            emit settingNotKept(stepmessages::fanControlNotKept);
        return;
    }
    // dfu-programmer 0.6.1 validates a written EEPROM against the flash and
    // so fails every good write, and its dump-eeprom reads the flash too: the
    // write stands on the bootloader's status for each block it programmed.
    DfuProgrammer dfu(program, unitPort_);
    const QStringList arguments{"flash-eeprom", "--suppress-validation", QDir::toNativeSeparators(hexImage.fileName())};
    DfuProgrammer::Run run = dfu.run(arguments);
    for (int runs = 1; runs < eepromRuns && !run.succeeded(); ++runs) {
        run = dfu.run(arguments);
        workerclock::sleepSeconds(1);
    }
    qDebug() << (run.succeeded() ? "EEPROM FLASHED" : "EEPROM NOT FLASHED");
    if (!run.succeeded())
        emit settingNotKept(stepmessages::fanControlNotKept);
}

void UpdaterThread::readEEPROM()
{
}
