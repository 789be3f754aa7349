#include "unitbench.h"

#include "vx_zyra.h"
#include "workererrors.h"

#include <QSet>

#include <utility>

namespace {

const char severalUnits[] = "Error, more than one ZYRA unit detected.\n\nPlease choose the unit to work on, or attach "
                            "only one";
const char chosenUnitAway[] = "Error, the chosen ZYRA unit is not attached.\n\nPlease check your USB connection";

// More than a bench holds; past it, the bench is ambiguous all the same.
constexpr int listCapacity = 64;

// What a listing function of the library lists (it returns the count, or a
// negative error).
QStringList listed(int (*list)(char (*)[VX_ZYRA_PORT_PATH_SIZE], int))
{
    char paths[listCapacity][VX_ZYRA_PORT_PATH_SIZE] = {};
    const int count = qMin(list(paths, listCapacity), listCapacity);
    QStringList ports;
    for (int i = 0; i < count; ++i)
        ports << QString::fromLatin1(paths[i], static_cast<int>(qstrnlen(paths[i], VX_ZYRA_PORT_PATH_SIZE)));
    return ports;
}

}  // namespace

UnitBench UnitBench::attached()
{
    return UnitBench(listed(vx_zyra_list_units), listed(vx_zyra_list_video_modules));
}

UnitBench::UnitBench(QStringList radios, QStringList modules) : radios_(std::move(radios)), modules_(std::move(modules))
{
}

QString UnitBench::hubOf(const QString &port)
{
    const int lastDot = port.lastIndexOf('.');
    return lastDot < 0 ? port : port.left(lastDot);
}

int UnitBench::behindHub(const QStringList &devices, const QString &hub)
{
    int count = 0;
    for (const QString &device : devices)
        count += hubOf(device) == hub ? 1 : 0;
    return count;
}

QString UnitBench::deviceOf(const QStringList &devices, const QString &chosen)
{
    if (devices.contains(chosen))
        return chosen;
    const QString hub = hubOf(chosen);
    if (behindHub(devices, hub) != 1)
        return {};
    for (const QString &device : devices) {
        if (hubOf(device) == hub)
            return device;
    }
    return {};
}

QString UnitBench::radioOf(const QString &chosen) const
{
    return deviceOf(radios_, chosen);
}

QString UnitBench::moduleOf(const QString &chosen) const
{
    return deviceOf(modules_, chosen);
}

UnitBench::Choice UnitBench::check(const QString &chosen) const
{
    if (chosen.isEmpty()) {
        QSet<QString> hubs;
        for (const QString &device : radios_ + modules_)
            hubs.insert(hubOf(device));
        return hubs.size() > 1 ? Choice::ambiguous : Choice::sound;
    }
    const QString hub = hubOf(chosen);
    const int radios = behindHub(radios_, hub);
    const int modules = behindHub(modules_, hub);
    if (radios + modules == 0)
        return Choice::away;
    if ((radios > 1 && radioOf(chosen).isEmpty()) || (modules > 1 && moduleOf(chosen).isEmpty()))
        return Choice::ambiguous;
    return Choice::sound;
}

UnitBench::Fault UnitBench::fault(const QString &chosen, bool unitMayBeAway) const
{
    switch (check(chosen)) {
    case Choice::ambiguous:
        return {severalUnits, workererrors::severalUnits};
    case Choice::away:
        return unitMayBeAway ? Fault() : Fault{chosenUnitAway, workererrors::chosenUnitAway};
    case Choice::sound:
        break;
    }
    return {};
}
