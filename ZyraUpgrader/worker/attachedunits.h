// Every ZYRA unit on the bus and every video module waiting in its
// bootloader, read once for the window's unit list and zyra list, and the
// choice of one of them by port path or board serial.
#pragma once

#include <QList>
#include <QString>

namespace attachedunits {

// The states a listed device is found in.
extern const char application[];     // the radio runs its application
extern const char bootloader[];      // the radio answers in its bootloader
extern const char videoModuleDfu[];  // a video module waits in its DFU bootloader
// Any field that could not be read, the state of a unit that did not answer included.
extern const char unknown[];

// One listed device, each field as the user sees it.
struct Unit {
    QString port;  // BUS-PORT[.PORT...], as Linux names it
    QString state;
    QString side;  // "tx" or "rx"
    QString serial;
    QString appVersion;  // digits and dots
    QString macVersion;
};

// Opens each unit briefly and reads what it tells; a unit that cannot be
// opened or read is listed with what is known (its port at least). Video
// modules follow the units. Blocks: call it off the GUI thread.
// With onlyReading, only the unit at that port is opened, the others listed
// by port alone: opening a unit another program works on, as a batch's
// other updates do, could take it from that program between two restarts.
QList<Unit> list(const QString &onlyReading = QString());
// The text is written as a port path is (BUS-PORT[.PORT...]).
bool isPortPath(const QString &text);
// More than one unit among them: a radio and a video module behind one
// hub are one unit's.
bool several(const QList<Unit> &units);

// "PORT, SIDE, serial SERIAL, application APP, radio MAC" for a window's or
// an error's list, the state added where it is not the application.
QString describe(const Unit &unit);

// The port path that portOrSerial names among units: a listed port path, or
// the serial of exactly one listed unit. Empty, with *error set to a text
// for the user, when it names none or several.
QString portOf(const QList<Unit> &units, const QString &portOrSerial, QString *error);

}  // namespace attachedunits
