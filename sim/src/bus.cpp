#include "zyra_sim/bus.h"

#include <algorithm>
#include <optional>

#include "bench_modules.h"
#include "bus_state.h"
#include "model_lock.h"
#include "xmega_state.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

Bus::Bus() : state_(std::make_shared<State>())
{
}

Bus &Bus::instance()
{
    static auto *bus = new Bus;
    return *bus;
}

Bus::State &Bus::state()
{
    return *state_;
}

void Bus::attach(std::shared_ptr<VirtualUnit> unit, const std::string &hub)
{
    ModelLock lock = lockModel();
    state_->unit = std::move(unit);
    state_->unitHub = hub;
    state_->attachedByCode = true;
    state_->noteOwnUnitHub();
    state_->watchModule({hub, state_->unit});
}

void Bus::attachAnother(std::shared_ptr<VirtualUnit> unit, const std::string &hub)
{
    ModelLock lock = lockModel();
    state_->addUnit(hub, std::move(unit));
}

void Bus::detach()
{
    ModelLock lock = lockModel();
    state_->unit.reset();
}

std::shared_ptr<VirtualUnit> Bus::unit() const
{
    return lockedRead(*state_, &State::unit);
}

void Bus::setInitFails(bool fails)
{
    lockedWrite(*state_, &State::initFails, fails);
}

void Bus::setAccessRefused(bool refused)
{
    lockedWrite(*state_, &State::accessRefused, refused);
}

int Bus::initCount() const
{
    return lockedRead(*state_, &State::initCount);
}

int Bus::exitCount() const
{
    return lockedRead(*state_, &State::exitCount);
}

int Bus::openAttempts() const
{
    return lockedRead(*state_, &State::openAttempts);
}

int Bus::openHandles() const
{
    ModelLock lock = lockModel();
    int count = 0;
    for (const UsbHandle &handle : state_->handles)
        count += handle.open ? 1 : 0;
    return count;
}

int Bus::claimedInterfaces() const
{
    ModelLock lock = lockModel();
    int count = 0;
    for (const UsbHandle &handle : state_->handles)
        count += handle.open && handle.claimed ? 1 : 0;
    return count;
}

int Bus::unboundedWaits() const
{
    return lockedRead(*state_, &State::unboundedWaits);
}

int Bus::misuses() const
{
    return lockedRead(*state_, &State::misuses);
}

int Bus::resetCount() const
{
    return lockedRead(*state_, &State::resets);
}

void Bus::setStateDir(const std::string &path)
{
    ModelLock lock = lockModel();
    state_->stateDir = path;
    state_->modules.clear();
    if (state_->attachedByCode)
        state_->noteOwnUnitHub();
    for (const BusPort &port : state_->attached())
        state_->watchModule(port);
}

std::string Bus::stateDir() const
{
    return lockedRead(*state_, &State::stateDir);
}

void Bus::setRadioDelayAfterStartMs(int64_t ms)
{
    lockedWrite(*state_, &State::radioDelayAfterStartMs, ms);
}

void Bus::reset()
{
    ModelLock lock = lockModel();
    State &state = *state_;
    state.unit.reset();
    state.unitHub = firstHub;
    state.others.clear();
    state.enumerations.clear();
    state.attachedByCode = false;
    state.sideUnits[0].reset();
    state.sideUnits[1].reset();
    state.initFails = false;
    state.accessRefused = false;
    state.initCount = state.exitCount = state.openAttempts = 0;
    state.unboundedWaits = state.misuses = state.resets = 0;
    for (UsbHandle &handle : state.handles)
        handle.open = false;
    ++state.busEpoch;
    state.stateDir.clear();
    state.radioDelayAfterStartMs = 2000;
    state.modules.clear();
    Clock::instance().reset();
}

namespace {

struct ModuleMode {
    zyra_dfu::Mode mode = zyra_dfu::Mode::Absent;
    int starts = 0;
};

ModuleMode moduleMode(const std::string &folder)
{
    if (folder.empty())
        return {};
    const zyra_dfu::XmegaState module(folder);
    return {module.mode(), module.startCount()};
}

}  // namespace

void Bus::State::addUnit(const std::string &hub, std::shared_ptr<VirtualUnit> added)
{
    others.push_back({hub, std::move(added)});
    watchModule(others.back());
}

std::string Bus::State::moduleFolder(const BusPort &port) const
{
    if (stateDir.empty())
        return {};
    return zyra_dfu::moduleDirectory(stateDir, port.hub, port.unit == unit);
}

void Bus::State::watchModule(const BusPort &port)
{
    if (modules.count(port.hub))
        return;
    const ModuleMode found = moduleMode(moduleFolder(port));
    ModuleWatch &watch = modules[port.hub];
    if (found.mode == zyra_dfu::Mode::Running)
        watch.startsFoundRunning = found.starts;
}

void Bus::State::noteOwnUnitHub() const
{
    if (!stateDir.empty() && unit)
        zyra_dfu::setOwnUnitHub(stateDir, unitHub);
}

bool Bus::State::radioAllowed(const BusPort &port, int64_t nowMs)
{
    const ModuleMode found = moduleMode(moduleFolder(port));
    if (found.mode == zyra_dfu::Mode::Absent)
        return true;
    ModuleWatch &watch = modules[port.hub];
    const bool running = found.mode == zyra_dfu::Mode::Running;
    if (watch.runningSinceMs && (!running || found.starts != watch.runningStart)) {
        watch.runningSinceMs.reset();
        radioLostPower(port);
    }
    if (!running)
        return false;
    if (!watch.runningSinceMs) {
        // A module that already ran, from the same start, when the bus first
        // looked (started by an earlier process) has had its radio up for
        // long: zyra info after zyra update.
        const bool startedEarlier = watch.startsFoundRunning == found.starts;
        watch.runningSinceMs = startedEarlier ? nowMs - radioDelayAfterStartMs : nowMs;
        watch.runningStart = found.starts;
    }
    return nowMs - *watch.runningSinceMs >= radioDelayAfterStartMs;
}

void Bus::State::radioLostPower(const BusPort &port)
{
    VirtualUnit::Impl &radio = port.unit->impl();
    ++radio.generation;  // its handles go stale; it enumerates anew
    radio.in.clear();
    radio.radioLosesPower();
}

std::optional<uint8_t> Bus::State::bootloaderAddress(const BusPort &port) const
{
    const ModuleMode found = moduleMode(moduleFolder(port));
    if (found.mode != zyra_dfu::Mode::Dfu)
        return std::nullopt;
    return zyra_dfu::bootloaderAddress(port.hub, found.starts);
}

bool Bus::State::stale(const UsbHandle &handle) const
{
    const std::vector<BusPort> units = attached();
    const bool onThisBus = std::any_of(
        units.begin(), units.end(), [&handle](const BusPort &port) { return &port.unit->impl() == handle.unit.get(); });
    return handle.busEpoch != busEpoch || !onThisBus || handle.unitGeneration != handle.unit->generation ||
           !handle.unit->onBus;
}

std::vector<BusPort> Bus::State::attached() const
{
    std::vector<BusPort> units;
    if (unit)
        units.push_back({unitHub, unit});
    units.insert(units.end(), others.begin(), others.end());
    std::stable_sort(units.begin(), units.end(), [](const BusPort &a, const BusPort &b) {
        return zyra_dfu::portNumbers(a.hub) < zyra_dfu::portNumbers(b.hub);
    });
    return units;
}

uint8_t Bus::State::addressAt(const std::string &path, const void *device, uint64_t generation)
{
    Enumeration &last = enumerations[path];
    if (last.address == 0 || last.device != device || last.generation != generation) {
        // Linux hands out addresses in turn; 1 is the root hub's, and 32 on
        // are left to the video modules (bench_modules.h), whose addresses
        // every process must agree on. A device back at its port never
        // gets the address it had, even when the turn came round to it.
        do
            lastAddress = static_cast<uint8_t>(lastAddress >= 31 ? 2 : lastAddress + 1);
        while (lastAddress == last.address);
        last = {device, generation, lastAddress};
    }
    return last.address;
}

}  // namespace zyra_sim
