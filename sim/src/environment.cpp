#include "environment.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_modules.h"
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

// With a state directory the unit keeps its storage in its folder, one file
// a side, from one process to the next.
std::shared_ptr<VirtualUnit> unitMadeFor(const std::string &folder, uint8_t side)
{
    auto unit = std::make_shared<VirtualUnit>(side);
    if (!folder.empty())
        unit->impl().keepStorageIn(folder + (side == 2 ? "/unit-rx.storage" : "/unit-tx.storage"));
    return unit;
}

// "major.minor.debug" sets the unit's bootloader version; anything else
// leaves it.
void setBootloaderVersion(VirtualUnit &unit, const std::string &text)
{
    unsigned major = 0, minor = 0, debug = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u", &major, &minor, &debug) == 3)
        unit.setBootloaderVersion(static_cast<uint8_t>(major), static_cast<uint8_t>(minor),
                                  static_cast<uint8_t>(debug));
}

// ZYRA_SIM_UNITS: SIDE[@BOOTLOADER][#SERIAL] a unit, separated by commas,
// behind hubs 1-1, 1-2, ... in that order, each with its folder STATE/HUB.
// Units already attached stay as they are: a list that grows attaches the
// units it adds.
void attachBench(Bus::State &state, const std::string &units)
{
    std::istringstream list(units);
    const size_t attached = state.others.size();
    size_t hubPort = 0;
    for (std::string unit; std::getline(list, unit, ',');) {
        if (++hubPort <= attached)
            continue;
        const std::string hub = "1-" + std::to_string(hubPort);
        const size_t hash = unit.find('#');
        // A serial of its own, so a unit can be chosen by it as by its port,
        // unless the bench gives one (two units may share a serial never set).
        const std::string serialText = hash == std::string::npos ? "ZYRA-VU-SERIAL-" + hub : unit.substr(hash + 1);
        unit = unit.substr(0, hash);
        const size_t at = unit.find('@');
        std::string folder;
        if (!state.stateDir.empty()) {
            folder = zyra_dfu::moduleDirectory(state.stateDir, hub, false);
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
        }
        auto made = unitMadeFor(folder, sideFrom(unit.substr(0, at)));
        std::array<uint8_t, 64> serial{};
        std::copy_n(serialText.begin(), std::min(serialText.size(), serial.size()), serial.begin());
        made->setBoardSerial(serial);
        if (at != std::string::npos)
            setBootloaderVersion(*made, unit.substr(at + 1));
        state.addUnit(hub, std::move(made));
    }
}

// The unit attached before the file first chose is kept as its side's unit.
std::shared_ptr<VirtualUnit> unitOfSide(Bus::State &state, uint8_t side)
{
    const uint8_t attachedSide = state.unit ? state.unit->side() : 0;
    if ((attachedSide == 1 || attachedSide == 2) && !state.sideUnits[attachedSide - 1])
        state.sideUnits[attachedSide - 1] = state.unit;
    std::shared_ptr<VirtualUnit> &unit = state.sideUnits[side - 1];
    if (!unit)
        unit = unitMadeFor(state.stateDir, side);
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
    // STATE/bench.units, read at every libusb_init, lets a test attach units
    // one after the other while a program watches the bus.
    std::string bench;
    if (!bus.state().stateDir.empty())
        std::ifstream(bus.state().stateDir + "/bench.units") >> bench;
    if (bench.empty())
        bench = variable("ZYRA_SIM_UNITS");
    if (!bench.empty()) {
        attachBench(bus.state(), bench);
        // Another process (a child working on one unit) may have changed a
        // unit's storage since: its file holds the unit's cells.
        for (const BusPort &port : bus.state().others)
            port.unit->impl().keepStorageIn(port.unit->impl().storageFile);
        return;
    }
    std::string chosen = chosenSide(bus.state().stateDir);
    if (!chosen.empty()) {
        bus.state().unit = unitOfSide(bus.state(), sideFrom(chosen));
        bus.state().watchModule({bus.state().unitHub, bus.state().unit});
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
    bus.state().unit = unitMadeFor(bus.state().stateDir, sideFrom(side));
    bus.state().watchModule({bus.state().unitHub, bus.state().unit});
    setBootloaderVersion(*bus.state().unit, variable("ZYRA_SIM_BOOTLOADER"));
    // A unit that starts off the bus and answers only after that many
    // opens have failed: what a program sees of a unit that needs the
    // recovery procedure.
    const std::string awayOpens = variable("ZYRA_SIM_AWAY_OPENS");
    if (!awayOpens.empty())
        bus.state().unit->dropOffBus(0, std::stoi(awayOpens));
    if (variable("ZYRA_SIM_SILENT") == "1")
        bus.state().unit->setSilent(true);
}

}  // namespace zyra_sim
