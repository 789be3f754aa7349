// First paragraphs of the worker's error messages (the last paragraph,
// "Error Code: n", is added where the error is reported) and its notes.
#pragma once

namespace stepmessages {

inline const char videoModuleFailed[] = "Error updating Video Module";
inline const char radio1Failed[] = "Error updating Radio 1";
inline const char radio2Failed[] = "Error updating Radio 2";
inline const char configurationFailed[] = "Error updating device configuration";
inline const char unitNotAnswering[] = "The ZYRA device does not answer";

// What to do about a unit left in a state no command gets it out of: its
// radio stays in its bootloader until it loses power.
inline const char powerCycleAdvice[] =
    "Disconnect the unit's power and USB, wait ten seconds, reconnect it, then try again.";

// What a step waits for, in its reports while it waits.
inline const char waitingForUnit[] = "unit to answer";
inline const char waitingForUnitBack[] = "unit to come back";
inline const char waitingForVideoModule[] = "video module";

// Notes for a setting that did not reach the unit in a run that succeeded.
inline const char fanControlNotKept[] = "NOTE: The fan control setting could not be written to the Video Module.";
inline const char transmissionModeNotKept[] = "NOTE: The transmission mode could not be written back to the device.";

}  // namespace stepmessages
