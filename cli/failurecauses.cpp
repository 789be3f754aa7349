#include "failurecauses.h"

#include "devicetypes.h"
#include "packagefaults.h"
#include "updaterun.h"
#include "workererrors.h"

namespace failurecauses {

const char updateModeInstructions[] =
    "Start the unit in update mode: with its USB cable connected, hold its UPDATE button while you power it on.";

namespace {

const char flasherMissing[] =
    "dfu-programmer was not found: the package folder has no utils/dfu-programmer and there is none on PATH. "
    "Install it (Debian: apt install dfu-programmer) or copy it into utils/.";

// A package fault with that code, found again by the pre-flight, names its file.
QString packageCause(int errorCode, int deviceType)
{
    QString detail;
    const FirmwarePackage::Fault fault =
        updateRunFault(deviceType, DeviceTypes::hasVideoModule(deviceType), true, "storage.ini", &detail);
    if (fault == FirmwarePackage::Fault::none || packageFaultError(fault).errorCode != errorCode)
        return {};
    return detail;
}

}  // namespace

QString causeOf(int errorCode, int deviceType)
{
    switch (errorCode) {
    case workererrors::dfuProgrammerMissingForDetection:
    case workererrors::dfuProgrammerMissing:
    case workererrors::dfuProgrammerMissingForEeprom:
        return DeviceTypes::hasVideoModule(deviceType) ? flasherMissing : QString();
    case UpdateRun::noErrorCode:
    case workererrors::xmegaEraseFailed:
    case workererrors::xmegaFlashFailed:
    case workererrors::xmegaStartFailed:
        return QString("A dfu-programmer run on the video module failed. If the unit no longer shows up: ") +
               updateModeInstructions + " Then run zyra update again.";
    case workererrors::dumpFailed:
        return QString("No video module answered in its bootloader. ") + updateModeInstructions +
               " Then run the command again.";
    default:
        return packageCause(errorCode, deviceType);
    }
}

}  // namespace failurecauses
