// The firmware package on disk: the directory chosen by device type, the
// images firmware.ini names, and the checks that keep a bad image from ever
// reaching the unit.
#pragma once

#include <QString>

#include <cstdint>

// The XMEGA application image of a package.
inline const char xmegaImageFile[] = "firmware.hex";

// "TX" or "RX" for a unit's side, empty for any other value.
QString sideText(uint8_t side);

class FirmwarePackage {
public:
    // The package in "firmware2k" for the 2K device types, in "firmware" for the others.
    explicit FirmwarePackage(int deviceType);

    // The directory holds a regular file of that name (never an empty name).
    bool hasFile(const QString &name) const;
    // Absolute path of a package file in native separators.
    QString nativePath(const QString &name) const;

    bool hasFirmwareIni() const;
    // Key `app` or `mac` of group "FIRMWARE_<side>"; empty when absent.
    QString imageName(const QString &side, const QString &key) const;

    static QString recoveryImageName(const QString &side);

    enum class BadImage { none, xmega, application, mac };

    // Checks every image of the package that this run may write: the XMEGA
    // image when asked, the application and MAC images that firmware.ini
    // names for both sides, and the recovery images when asked. Returns
    // none when all that are present are sound, else the kind of the first
    // bad one. Missing files are left to the step that needs them.
    BadImage checkImages(bool withXmegaImage, bool withRecoveryImages) const;

private:
    QString directory_;
};
