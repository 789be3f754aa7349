#include "packagefaults.h"

#include "devicetypes.h"
#include "stepmessages.h"
#include "vx_zyra.h"
#include "workererrors.h"

PackageFaultError packageFaultError(FirmwarePackage::Fault fault)
{
    switch (fault) {
    case FirmwarePackage::Fault::none:
        break;
    case FirmwarePackage::Fault::xmegaImage:
        return {stepmessages::videoModuleFailed, workererrors::xmegaImageBad};
    case FirmwarePackage::Fault::firmwareIniMissing:
        return {stepmessages::radio1Failed, workererrors::radio1IniMissing};
    case FirmwarePackage::Fault::applicationImage:
        return {stepmessages::radio1Failed, workererrors::radio1ImageBad};
    case FirmwarePackage::Fault::macImage:
        return {stepmessages::radio2Failed, workererrors::radio2ImageBad};
    case FirmwarePackage::Fault::storageIniMissing:
        return {QString("R ") + stepmessages::configurationFailed, workererrors::storageIniMissing};
    case FirmwarePackage::Fault::storageValue:
        return {stepmessages::configurationFailed, workererrors::storageCellFailed};
    }
    return {};
}

namespace {

FirmwarePackage::Run runOf(int deviceType, bool withXmegaImage, bool withRecoveryImages, const QString &storageFile)
{
    FirmwarePackage::Run run;
    run.withXmegaImage = withXmegaImage;
    run.withRecoveryImages = withRecoveryImages;
    run.side = sideText(DeviceTypes::isTransmitter(deviceType) ? VX_ZYRA_TX : VX_ZYRA_RX);
    run.storageFile = storageFile;
    return run;
}

}  // namespace

FirmwarePackage::Fault updateRunFault(int deviceType, bool withXmegaImage, bool withRecoveryImages,
                                      const QString &storageFile, QString *detail)
{
    return FirmwarePackage(deviceType)
        .firstFault(runOf(deviceType, withXmegaImage, withRecoveryImages, storageFile), detail);
}

FirmwarePackage::Fault wholePackageFault(int deviceType, QString *detail)
{
    FirmwarePackage::Run run =
        runOf(deviceType, DeviceTypes::hasVideoModule(deviceType), true, QStringLiteral("storage.ini"));
    run.everySide = true;
    return FirmwarePackage(deviceType).firstFault(run, detail);
}
