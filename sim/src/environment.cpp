#include "environment.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bus_state.h"
#include "model_lock.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

namespace {

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

uint8_t sideFrom(const std::string &text)
{
    return text == "2" || text == "rx" || text == "RX" ? 2 : 1;
}

// The first word of the state directory's unit.side; empty without the file.
std::string chosenSide(const std::string &stateDir)
{
    std::string side;
    if (!stateDir.empty())
        std::ifstream(stateDir + "/unit.side") >> side;
    return side;
}

// With a state directory the unit keeps its storage there, one file a side,
// from one process to the next.
std::shared_ptr<VirtualUnit> unitMadeFor(const Bus::State &state, uint8_t side)
{
    auto unit = std::make_shared<VirtualUnit>(side);
    if (!state.stateDir.empty())
        unit->impl().keepStorageIn(state.stateDir + (side == 2 ? "/unit-rx.storage" : "/unit-tx.storage"));
    return unit;
}

// The unit attached before the file first chose is kept as its side's unit.
std::shared_ptr<VirtualUnit> unitOfSide(Bus::State &state, uint8_t side)
{
    const uint8_t attachedSide = state.unit ? state.unit->side() : 0;
    if ((attachedSide == 1 || attachedSide == 2) && !state.sideUnits[attachedSide - 1])
        state.sideUnits[attachedSide - 1] = state.unit;
    std::shared_ptr<VirtualUnit> &unit = state.sideUnits[side - 1];
    if (!unit)
        unit = unitMadeFor(state, side);
    return unit;
}

}  // namespace

void applyEnvironment()
{
    ModelLock lock = lockModel();
    Bus &bus = Bus::instance();
    if (!variable("ZYRA_SIM_TIME_SCALE").empty())
        Clock::instance().setTimeScale(std::atoi(variable("ZYRA_SIM_TIME_SCALE").c_str()));
    if (variable("ZYRA_SIM_REALTIME") == "1")
        Clock::instance().setRealTime(true);
    if (variable("ZYRA_SIM_NO_ACCESS") == "1")
        bus.setAccessRefused(true);
    std::string stateDir = variable("ZYRA_SIM_STATE_DIR");
    if (!stateDir.empty() && bus.stateDir() != stateDir)
        bus.setStateDir(stateDir);
    if (bus.state().attachedByCode)
        return;
    std::string chosen = chosenSide(bus.state().stateDir);
    if (!chosen.empty()) {
        bus.state().unit = unitOfSide(bus.state(), sideFrom(chosen));
        return;
    }
    if (bus.state().unit)
        return;
    std::string side = variable("ZYRA_SIM_SIDE");
    bool preloaded = variable("LD_PRELOAD").find("libzyra_sim") != std::string::npos;
    if (side.empty() && !preloaded)
        return;
    if (side == "none")
        return;
    bus.state().unit = unitMadeFor(bus.state(), sideFrom(side));
    // A unit that starts off the bus and answers only after that many
    // opens have failed: what a program sees of a unit that needs the
    // recovery procedure.
    unsigned major = 0, minor = 0, debug = 0;
    if (std::sscanf(variable("ZYRA_SIM_BOOTLOADER").c_str(), "%u.%u.%u", &major, &minor, &debug) == 3)
        bus.state().unit->setBootloaderVersion(static_cast<uint8_t>(major), static_cast<uint8_t>(minor),
                                               static_cast<uint8_t>(debug));
    const std::string awayOpens = variable("ZYRA_SIM_AWAY_OPENS");
    if (!awayOpens.empty())
        bus.state().unit->dropOffBus(0, std::stoi(awayOpens));
    if (variable("ZYRA_SIM_SILENT") == "1")
        bus.state().unit->setSilent(true);
}

}  // namespace zyra_sim
