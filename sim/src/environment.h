// How the drop-in sets itself up when a program runs with it preloaded and
// no test code scripts the model:
// - ZYRA_SIM_REALTIME=1: sleeps and waits take real time.
// - ZYRA_SIM_STATE_DIR=path: the video module's shared state (Bus::setStateDir).
// - ZYRA_SIM_SIDE=1|2|tx|rx, or LD_PRELOAD naming libzyra_sim: a default unit
//   of that side (transmitter without ZYRA_SIM_SIDE) is attached at
//   libusb_init, unless code attached one since the last Bus::reset().
#pragma once

namespace zyra_sim {

void applyEnvironment();

}  // namespace zyra_sim
