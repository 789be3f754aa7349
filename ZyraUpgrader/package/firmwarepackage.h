// The firmware package on disk: the directory chosen by device type, the
// images firmware.ini names, and the checks that keep a bad package from
// ever reaching the unit.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

// The XMEGA application image of a package.
inline const char xmegaImageFile[] = "firmware.hex";

// "TX" or "RX" for a unit's side, empty for any other value.
QString sideText(uint8_t side);

class FirmwarePackage
{
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

    // What an update run is about to write, for the pre-flight.
    struct Run {
        bool withXmegaImage = false;
        bool withRecoveryImages = false;
        // "TX" or "RX", the side the device type is: its images must be there.
        QString side;
        QString storageFile;
        // The other side's files as well, where present (a check of the
        // whole package); a run on a unit judges only what it writes.
        bool everySide = false;
    };

    enum class Fault {
        none,
        xmegaImage,  // firmware.hex missing or unsound
        firmwareIniMissing,
        applicationImage,  // the named or the recovery image, missing or unsound
        macImage,          // the named MAC image, missing or unsound
        storageIniMissing,
        storageValue,  // a storage.ini value that cannot be written as it stands
    };

    // The pre-flight: every package file the run reads once it has begun to
    // change the unit, in the order the run reads them. The side's images
    // must be present. Returns the first fault found, or none; detail then
    // gets the file and what is wrong with it ("firmware/app-rx.hex: line 3:
    // checksum mismatch").
    Fault firstFault(const Run &run, QString *detail = nullptr) const;

private:
    using ImageCheck = std::string (*)(std::string_view);
    // Present and passing the check, or absent and not required.
    bool imageIsSound(const QString &name, ImageCheck check, bool required, QString *detail) const;
    // "firmware/NAME: what": the file as the user finds it in the package.
    QString fileFault(const QString &name, const QString &what) const;

    QString directory_;
};
