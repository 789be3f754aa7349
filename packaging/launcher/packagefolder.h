// What the launcher checks before it starts the window program in a folder.
#pragma once

#include <QString>

namespace packagefolder {

// True when the folder holds a firmware package the program can read:
// "firmware/firmware.ini" (HDMI and SDI units) or "firmware2k/firmware.ini"
// (2K units).
bool holdsPackage(const QString &folder);

}  // namespace packagefolder
