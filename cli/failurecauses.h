// What lies behind a failed detection or update, told below the worker's
// message: the message is the window's, written for its pictures.
#pragma once

#include <QString>

namespace failurecauses {

// How to start a unit with a video module in update mode, in words.
extern const char updateModeInstructions[];

// The cause of the worker's error for the device type, or empty when zyra
// knows no more than the message says.
QString causeOf(int errorCode, int deviceType);

}  // namespace failurecauses
