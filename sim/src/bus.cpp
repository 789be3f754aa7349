#include "zyra_sim/bus.h"

#include <algorithm>
#include <fstream>
#include <optional>

#include "bus_state.h"
#include "model_lock.h"
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
}

void Bus::attachAnother(std::shared_ptr<VirtualUnit> unit, const std::string &hub)
{
    ModelLock lock = lockModel();
    state_->others.push_back({hub, std::move(unit)});
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
    state_->runningSinceMs.reset();
    state_->noteModuleFoundRunning();
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
    state.runningSinceMs.reset();
    state.startsFoundRunning.reset();
    Clock::instance().reset();
}

namespace {

struct ModuleMode {
    std::string word;
    int starts = 0;
};

// The state directory's xmega.mode: its first word and the module's start
// count; none without the file.
std::optional<ModuleMode> xmegaMode(const std::string &stateDir)
{
    if (stateDir.empty())
        return std::nullopt;
    std::ifstream file(stateDir + "/xmega.mode");
    if (!file)
        return std::nullopt;
    ModuleMode mode;
    file >> mode.word >> mode.starts;
    return mode;
}

}  // namespace

void Bus::State::noteModuleFoundRunning()
{
    const std::optional<ModuleMode> mode = xmegaMode(stateDir);
    if (mode && mode->word == "running")
        startsFoundRunning = mode->starts;
    else
        startsFoundRunning.reset();
}

bool Bus::State::radioAllowed(int64_t nowMs)
{
    const std::optional<ModuleMode> mode = xmegaMode(stateDir);
    if (!mode)
        return true;
    const bool running = mode->word == "running";
    if (runningSinceMs && (!running || mode->starts != runningStart)) {
        runningSinceMs.reset();
        radioLostPower();
    }
    if (!running)
        return false;
    if (!runningSinceMs) {
        // A module that already ran, from the same start, when the state
        // folder was given (started by an earlier process) has had its radio
        // up for long: zyra info after zyra update.
        const bool startedEarlier = startsFoundRunning == mode->starts;
        runningSinceMs = startedEarlier ? nowMs - radioDelayAfterStartMs : nowMs;
        runningStart = mode->starts;
    }
    return nowMs - *runningSinceMs >= radioDelayAfterStartMs;
}

void Bus::State::radioLostPower()
{
    if (!unit)
        return;
    VirtualUnit::Impl &radio = unit->impl();
    ++radio.generation;  // its handles go stale; it enumerates anew
    radio.in.clear();
    radio.radioLosesPower();
}

bool Bus::State::bootloaderOnBus() const
{
    const std::optional<ModuleMode> mode = xmegaMode(stateDir);
    return mode && mode->word == "dfu";
}

bool Bus::State::stale(const UsbHandle &handle) const
{
    const std::vector<BusPort> units = attached();
    const bool onThisBus = std::any_of(
        units.begin(), units.end(), [&handle](const BusPort &port) { return &port.unit->impl() == handle.unit.get(); });
    return handle.busEpoch != busEpoch || !onThisBus || handle.unitGeneration != handle.unit->generation ||
           !handle.unit->onBus;
}

namespace {

// A port path's numbers, bus first, for ordering: 1-2 before 1-10.
std::vector<int> portNumbers(const std::string &path)
{
    std::vector<int> numbers;
    int value = 0;
    for (char c : path) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        } else {
            numbers.push_back(value);
            value = 0;
        }
    }
    numbers.push_back(value);
    return numbers;
}

}  // namespace

std::vector<BusPort> Bus::State::attached() const
{
    std::vector<BusPort> units;
    if (unit)
        units.push_back({unitHub, unit});
    units.insert(units.end(), others.begin(), others.end());
    std::stable_sort(units.begin(), units.end(),
                     [](const BusPort &a, const BusPort &b) { return portNumbers(a.hub) < portNumbers(b.hub); });
    return units;
}

uint8_t Bus::State::addressAt(const std::string &path, const void *device, uint64_t generation)
{
    Enumeration &last = enumerations[path];
    if (last.address == 0 || last.device != device || last.generation != generation) {
        // Linux hands out 1 to 127 in turn; 1 is the root hub's.
        lastAddress = static_cast<uint8_t>(lastAddress >= 127 ? 2 : lastAddress + 1);
        last = {device, generation, lastAddress};
    }
    return last.address;
}

}  // namespace zyra_sim
