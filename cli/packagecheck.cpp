#include "packagecheck.h"

#include <QString>

#include "devicetypenames.h"
#include "devicetypes.h"
#include "packagefaults.h"
#include "reporter.h"

int checkPackage(Reporter &reporter)
{
    for (int type = 0; type < DeviceTypes::Count; ++type) {
        const FirmwarePackage::Fault fault =
            updateRunFault(type, DeviceTypes::hasVideoModule(type), true, QStringLiteral("storage.ini"));
        if (fault == FirmwarePackage::Fault::none)
            continue;
        const PackageFaultError error = packageFaultError(fault);
        reporter.error(
            QString("%1: %2\n\nError Code: %3").arg(deviceTypeName(type), error.headline).arg(error.errorCode),
            error.errorCode);
        return error.errorCode;
    }
    reporter.done("The package is sound for every unit type.");
    return 0;
}
