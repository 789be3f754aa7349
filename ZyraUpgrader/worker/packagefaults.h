// How a fault the package pre-flight finds reaches the user: as the error of
// the step that would have met it.
#pragma once

#include <QString>

#include "firmwarepackage.h"

struct PackageFaultError {
    // The message's first paragraph; the step adds "Error Code: n".
    QString headline;
    int errorCode = 0;
};

// Not to be asked for Fault::none.
PackageFaultError packageFaultError(FirmwarePackage::Fault fault);

// The pre-flight of an update run of the device type, the recovery images
// included when withRecoveryImages; detail as FirmwarePackage::firstFault.
FirmwarePackage::Fault updateRunFault(int deviceType, bool withXmegaImage, bool withRecoveryImages,
                                      const QString &storageFile, QString *detail = nullptr);

// The check of every file of the device type's package folder, both sides'
// and the recovery images included.
FirmwarePackage::Fault wholePackageFault(int deviceType, QString *detail);
