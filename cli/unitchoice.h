// zyra list, and the unit a command works on: the one --unit names, or the
// only one attached. With several attached and none named, a command is
// refused before it touches any of them: it would otherwise work on
// whichever the bus lists first.
#pragma once

#include <QString>

class Reporter;

namespace unitchoice {

// zyra list: every attached unit and video module; returns the exit status.
int list(Reporter &reporter);

// The unit a command works on, its port and serial told to the reporter.
struct Choice {
    // Refused (the reporter has told why): the command's exit status.
    int refusedStatus = -1;
    // The port path of the unit the command works on: the chosen one, or the
    // only one attached; empty when none is attached.
    QString port;
};
// given: the --unit value, or empty.
Choice choose(Reporter &reporter, const QString &given);

}  // namespace unitchoice
