#include "stationupdate.h"

#include <algorithm>

#include "attachedunits.h"
#include "batchupdate.h"
#include "batchview.h"
#include "interrupts.h"
#include "unitbench.h"
#include "unitprocess.h"
#include "unitversions.h"
#include "vx_zyra.h"

namespace {

// How often the bus is looked at: a unit is taken within a second of its
// arrival. The library's listing opens no device, so a unit being updated
// is never disturbed by it. ZYRA_POLL_MS lowers it for the tests.
int pollMs()
{
    bool given = false;
    const int ms = qEnvironmentVariableIntValue("ZYRA_POLL_MS", &given);
    return given && ms > 0 ? ms : 1000;
}

// The unit at port as the batch checks it: its side and serial, read on a
// brief connection. Only a unit no update works on is read.
ListedUnit readUnit(const QString &port)
{
    ListedUnit unit{port, "application", QString(), QString()};
    vx_zyra_t handle{};
    if (vx_zyra_connect_port(&handle, port.toLatin1().constData()) != VX_ZYRA_OK)
        return unit;
    vx_zyra_get_side(&handle);
    unit.side = handle.side == VX_ZYRA_TX ? "tx" : handle.side == VX_ZYRA_RX ? "rx" : QString();
    if (vx_zyra_board_serial(&handle) == VX_ZYRA_OK)
        unit.serial = unitversions::serial(handle);
    vx_zyra_disconnect(&handle);
    return unit;
}

}  // namespace

StationUpdate::StationUpdate(int deviceType, const QStringList &childArguments, BatchView &view, QObject *parent)
    : QObject(parent), deviceType_(deviceType), childArguments_(childArguments), view_(view)
{
    poll_.setInterval(pollMs());
    connect(&poll_, &QTimer::timeout, this, &StationUpdate::poll);
}

void StationUpdate::start()
{
    view_.note("Waiting for units to be attached; each is updated as it appears. Ctrl-C ends.");
    poll();
    poll_.start();
}

QMap<QString, StationUpdate::Attached> StationUpdate::attached() const
{
    const UnitBench bench = UnitBench::attached();
    QMap<QString, Attached> hubs;
    for (const QString &module : bench.modules())
        hubs.insert(UnitBench::hubOf(module), {module, true});
    // A unit's radio names it where both are listed.
    for (const QString &radio : bench.radios())
        hubs.insert(UnitBench::hubOf(radio), {radio, false});
    return hubs;
}

void StationUpdate::poll()
{
    const QMap<QString, Attached> now = attached();
    // A unit gone from the bus while no update works on it has been
    // unplugged: the next one at its hub is a new unit.
    for (auto seen = seen_.begin(); seen != seen_.end();) {
        if (!now.contains(seen.key()) && (seen.value() == nullptr || !seen.value()->running()))
            seen = seen_.erase(seen);
        else
            ++seen;
    }
    for (auto hub = now.cbegin(); hub != now.cend(); ++hub)
        if (!seen_.contains(hub.key()))
            take(hub.key(), hub.value());
}

void StationUpdate::take(const QString &hub, const Attached &attachedUnit)
{
    const QString &port = attachedUnit.port;
    // A video module in its bootloader tells no side: it fits every type with one.
    const ListedUnit unit =
        attachedUnit.videoModule ? ListedUnit{port, attachedunits::videoModuleDfu, {}, {}} : readUnit(port);
    const QString misfit = misfitOf(unit, deviceType_);
    if (!misfit.isEmpty()) {
        view_.skipped(port, unit.serial, misfit);
        seen_.insert(hub, nullptr);
        return;
    }
    auto *process = new UnitProcess(port, unit.serial, childArguments_, this);
    connect(process, &UnitProcess::finished, this, [this, hub, process] { onUnitFinished(hub, process); });
    seen_.insert(hub, process);
    view_.add(process);
    process->start();
}

void StationUpdate::onUnitFinished(const QString &hub, UnitProcess *unit)
{
    if (unit->state().result != "success" && !attached().contains(hub))
        unit->markUnplugged();
    ended_ << unit;
    view_.ended(unit);
    if (interrupted_)
        endOnceIdle();
}

void StationUpdate::interrupt(int count)
{
    poll_.stop();
    interrupted_ = true;
    if (count == 1)
        view_.note("No further unit is taken; the units being updated stop once their current step has ended.");
    for (UnitProcess *unit : seen_)
        if (unit != nullptr)
            unit->interrupt();
    endOnceIdle();
}

void StationUpdate::endOnceIdle()
{
    if (std::any_of(seen_.begin(), seen_.end(), [](const UnitProcess *unit) { return unit && unit->running(); }))
        return;
    view_.summary(ended_);
    const bool allSucceeded = std::all_of(ended_.begin(), ended_.end(),
                                          [](const UnitProcess *unit) { return unit->state().result == "success"; });
    // Ctrl-C is how a station ends: its status tells how the units ended.
    const bool stoppedAny = std::any_of(ended_.begin(), ended_.end(),
                                        [](const UnitProcess *unit) { return unit->state().result == "stopped"; });
    emit ended(stoppedAny ? interruptedStatus : allSucceeded ? 0 : 1);
}
