// The numbers UpdaterThread reports with error(err, errorCode) and
// startRecoveryMode(connectionStatus), and ZyraCommsThread with
// threadSignal(s32SignalId, s32Status). In the update steps the code is also
// the message's last paragraph, "Error Code: n", which is what the user
// quotes to support, so the numbers never change.
#pragma once

namespace workererrors {

// Detection.
constexpr int noDeviceOverUsb = 0;
constexpr int dfuProgrammerMissingForDetection = 1;
constexpr int dumpFileUnavailable = 2;
constexpr int dumpFailed = 3;

// The unit to work on, checked before anything is written: several units
// (or video modules) attached and none chosen, or two radios or modules
// behind the chosen unit's hub; the chosen unit not attached.
constexpr int severalUnits = 50;
constexpr int chosenUnitAway = 51;

// Video module (XMEGA).
constexpr int dfuProgrammerMissing = 10;
// firmware.hex missing or unsound.
constexpr int xmegaImageBad = 11;
// A dfu-programmer run of the video module ended in failure; after the
// erase the module may be blank.
constexpr int xmegaEraseFailed = 12;
constexpr int xmegaFlashFailed = 13;
constexpr int xmegaStartFailed = 14;
constexpr int dfuProgrammerMissingForEeprom = 101;

// Radio 1, the application image.
constexpr int radio1IniMissing = 21;
// The image firmware.ini names, or a recovery image, missing or unsound.
constexpr int radio1ImageBad = 22;
// The unit's bootloader needs a boot agent this build does not carry; the
// library refused before erasing anything.
constexpr int radio1BootAgentMissing = 23;

// The recovery procedure was carried out again and again, and each time the
// unit opened but did not answer.
constexpr int unitNotAnswering = 25;

// Radio 2, the MAC image.
constexpr int radio2SideUnknown = 30;
constexpr int radio2IniMissing = 31;
constexpr int radio2ImageBad = 32;
constexpr int radio2UpdateFailed = 33;
// A failed MAC update that left the unit off the bus: the message shows
// radio2UnitGoneShown, the signal carries radio2UnitGone, which tells the
// main window that the handle is useless.
constexpr int radio2UnitGoneShown = 34;
constexpr int radio2UnitGone = 336;

// Configuration (storage).
constexpr int configurationInfoUnread = 40;
constexpr int configurationSideUnknown = 41;
constexpr int storageIniMissing = 42;
constexpr int regionUnread = 43;
constexpr int transmissionModeUnread = 44;
constexpr int storageRestoreFailed = 45;
// storage.ini unreadable, or one of its cells not written.
constexpr int storageCellFailed = 46;
// A 2K unit's frequency channels, read again before any change, unreadable.
constexpr int frequencyChannelsUnread = 47;
constexpr int userConfigurationNotWrittenBack = 48;

// Pairing: whether the session is still open for the dialog to close.
constexpr int pairingKeepsSession = 0;
constexpr int pairingClosesSession = 1;

// startRecoveryMode: the unit is open but in an unknown state, or it could
// not be (re)opened and its handle is closed.
constexpr int recoveryUnitOpen = 0;
constexpr int recoveryUnitUnreachable = 1;

// ZyraCommsThread: any status but commsTaskOk is shown as a connection error;
// severalUnits and chosenUnitAway (above) tell why no unit was opened.
constexpr int commsTaskOk = 0;
constexpr int commsTaskFailed = 1;

}  // namespace workererrors
