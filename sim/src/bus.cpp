#include "zyra_sim/bus.h"

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

void Bus::attach(std::shared_ptr<VirtualUnit> unit)
{
    ModelLock lock = lockModel();
    state_->unit = std::move(unit);
    state_->attachedByCode = true;
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
    ++busEpoch;
    if (!unit)
        return;
    VirtualUnit::Impl &radio = unit->impl();
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
    return handle.busEpoch != busEpoch || !unit || handle.unit.get() != &unit->impl() ||
           handle.unitGeneration != handle.unit->generation || !handle.unit->onBus;
}

}  // namespace zyra_sim
