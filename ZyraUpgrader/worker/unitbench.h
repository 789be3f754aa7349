// The units attached to the bench, by port path, and which of them is the
// unit chosen for a run. A unit's radio and its video module sit behind the
// unit's own hub ("1-2.1" and "1-2.2" behind hub "1-2"): the radio and the
// module behind one hub are one unit's, and nothing else ties them together.
#pragma once

#include <QString>
#include <QStringList>

class UnitBench
{
public:
    // What is attached now, as the library lists it; a listing that fails
    // leaves the bench empty.
    static UnitBench attached();
    UnitBench(QStringList radios, QStringList modules);

    enum class Choice {
        sound,
        // None chosen while more than one unit is attached, or two radios or
        // two modules behind the chosen unit's hub: which one is meant
        // cannot be told.
        ambiguous,
        // Nothing attached behind the chosen unit's hub.
        away,
    };
    // The radios and the video modules in their bootloaders, by port path.
    const QStringList &radios() const { return radios_; }
    const QStringList &modules() const { return modules_; }

    // Whether a run may work on `chosen` (a port path; empty: none chosen).
    Choice check(const QString &chosen) const;

    // Why a run may not work on `chosen`: the headline of its error and its
    // code (workererrors.h); no headline when it may. A unit away is no
    // fault where it is still to come back.
    struct Fault {
        const char *headline = nullptr;
        int errorCode = 0;
    };
    Fault fault(const QString &chosen, bool unitMayBeAway = false) const;

    // The chosen unit's radio or module now: the chosen port itself where
    // something of that kind is attached there, else the only one of that
    // kind behind its hub; empty when there is none, or more than one.
    QString radioOf(const QString &chosen) const;
    QString moduleOf(const QString &chosen) const;

    // The hub a device's port path is behind: its path without the last
    // port; a device at a root port is its own.
    static QString hubOf(const QString &port);

private:
    static QString deviceOf(const QStringList &devices, const QString &chosen);
    static int behindHub(const QStringList &devices, const QString &hub);

    QStringList radios_;
    QStringList modules_;
};
