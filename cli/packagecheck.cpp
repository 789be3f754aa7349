#include "packagecheck.h"

#include <QDir>
#include <QStringList>

#include "devicetypenames.h"
#include "devicetypes.h"
#include "packagefaults.h"
#include "reporter.h"

int checkPackage(Reporter &reporter)
{
    if (!QDir("firmware").exists() && !QDir("firmware2k").exists()) {
        reporter.error(QString("No firmware package in %1: it holds neither firmware/ nor firmware2k/.")
                           .arg(QDir::current().absolutePath()),
                       1);
        return 1;
    }
    // The first fault of each type, each file named once; the first type's
    // error heads them.
    QStringList causes;
    PackageFaultError first;
    QString firstType;
    for (int type = 0; type < DeviceTypes::Count; ++type) {
        QString detail;
        const FirmwarePackage::Fault fault = wholePackageFault(type, &detail);
        if (fault == FirmwarePackage::Fault::none)
            continue;
        if (firstType.isEmpty()) {
            first = packageFaultError(fault);
            firstType = deviceTypeName(type);
        }
        if (!causes.contains(detail))
            causes << detail;
    }
    if (firstType.isEmpty()) {
        reporter.done("The package is sound for every unit type.");
        return 0;
    }
    reporter.error(QString("%1: %2\n\nError Code: %3").arg(firstType, first.headline).arg(first.errorCode),
                   first.errorCode, causes.join('\n'));
    return first.errorCode;
}
