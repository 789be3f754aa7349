#include "environment.h"

#include <cstdlib>
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

}  // namespace

void applyEnvironment()
{
    ModelLock lock = lockModel();
    Bus &bus = Bus::instance();
    if (variable("ZYRA_SIM_REALTIME") == "1")
        Clock::instance().setRealTime(true);
    std::string stateDir = variable("ZYRA_SIM_STATE_DIR");
    if (!stateDir.empty() && bus.stateDir() != stateDir)
        bus.setStateDir(stateDir);
    if (bus.state().unit || bus.state().attachedByCode)
        return;
    std::string side = variable("ZYRA_SIM_SIDE");
    bool preloaded = variable("LD_PRELOAD").find("libzyra_sim") != std::string::npos;
    if (side.empty() && !preloaded)
        return;
    bus.state().unit = std::make_shared<VirtualUnit>(sideFrom(side));
}

}  // namespace zyra_sim
