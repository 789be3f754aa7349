// Where the video modules of a state folder sit on the virtual bus. The bus
// model and the stand-in dfu-programmer both read it, so that in every
// process a module has the same port path and device address.
//
// Each unit sits behind a hub of its own (BUS-PORT, "1-2"): its radio at
// HUB.1, its video module at HUB.2. The state folder's own unit (one unit
// alone, as ZYRA_SIM_SIDE makes it) keeps its module's files in the folder
// itself, behind the hub its file unit.hub names ("1-1" without it); every
// other unit keeps them in a sub-folder named after its hub (STATE/1-2/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zyra_dfu {

struct BenchModule {
    std::string hub;
    std::string directory;  // its xmega.* files
};

// A port path's numbers, bus first, for ordering: 1-2 before 1-10.
std::vector<int> portNumbers(const std::string &path);

// The folder of the module behind hub: the state folder for its own unit.
std::string moduleDirectory(const std::string &stateDir, const std::string &hub, bool ownUnit);

// The hub of the state folder's own unit, from unit.hub.
std::string ownUnitHub(const std::string &stateDir);
// Writes unit.hub (removed for the default hub) atomically.
void setOwnUnitHub(const std::string &stateDir, const std::string &hub);

// Every module the state folder holds (a folder with xmega.mode), in the
// bus's order.
std::vector<BenchModule> benchModules(const std::string &stateDir);

// The device address of the module behind hub while it waits in its
// bootloader after `starts` starts. Addresses 32 to 127, so never a
// radio's (2 to 31); a new one each time the module enters its bootloader,
// and no two alike at one moment among hubs whose last port numbers differ
// and are below 16.
uint8_t bootloaderAddress(const std::string &hub, int starts);

}  // namespace zyra_dfu
