// How the drop-in sets itself up when a program runs with it preloaded and
// no test code scripts the model:
// - ZYRA_SIM_REALTIME=1: sleeps and waits take real time.
// - ZYRA_SIM_STATE_DIR=path: the video module's shared state (Bus::setStateDir).
// - ZYRA_SIM_NO_ACCESS=1: the unit and its bootloader are listed but refuse
//   opening with LIBUSB_ERROR_ACCESS (Bus::setAccessRefused), as for a user
//   without the udev rules; the stand-in dfu-programmer then finds no device.
// - ZYRA_SIM_SIDE=1|2|tx|rx, or LD_PRELOAD naming libzyra_sim: a default unit
//   of that side (transmitter without ZYRA_SIM_SIDE) is attached at
//   libusb_init, unless code attached one since the last Bus::reset().
// - ZYRA_SIM_BOOTLOADER=major.minor.debug: that unit's bootloader version
//   (2.0.5 or older needs the boot agent).
// - ZYRA_SIM_SILENT=1: that unit opens but answers nothing, as one whose
//   radio is stuck in a firmware transfer.
// - ZYRA_SIM_UNITS=SIDE[@BOOTLOADER][#SERIAL],...: a bench instead, one unit
//   a side given (tx or rx, 1 or 2), behind hubs 1-1, 1-2, ... in that order
//   (up to 15), with ZYRA_SIM_BOOTLOADER's form of version after an @
//   (rx,tx@2.0.5), each with the board serial after a # or else
//   ZYRA-VU-SERIAL-HUB.
//   With a state directory each keeps its storage file and its video
//   module's xmega.* files in a folder of its own, STATE/HUB
//   (bench_modules.h), which is made when missing; a unit whose folder holds
//   no xmega.mode has no video module; its storage file is read again at
//   every libusb_init, for what other processes set. unit.side and
//   ZYRA_SIM_SIDE are not read then.
// - A file unit.side in the state directory holding tx or rx (or 1, 2)
//   overrides ZYRA_SIM_SIDE at every libusb_init: of two units, one per side,
//   each kept until the next Bus::reset(), the named one is attached. A
//   person swaps the attached unit by rewriting the file, as the 2K receiver
//   pairing has them plug in the transmitter and the receiver in turn.
// - With a state directory, a unit made here keeps its storage cells in
//   unit-tx.storage or unit-rx.storage there (storage_file.h): read when the
//   unit is made, written after every STORAGE_SET and STORAGE_RESTORE, so a
//   setting outlives the process as a unit's outlives a power cycle.
//   STORAGE_RESTORE still returns to the side's factory defaults.
#pragma once

namespace zyra_sim {

void applyEnvironment();

}  // namespace zyra_sim
