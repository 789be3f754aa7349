// A model of one unit's USB side: it parses the command frames the host
// sends on its OUT endpoint, answers them the way a unit does, and serves
// its IN endpoint as 64-byte blocks. Tests script faults through it and
// read back everything it received.
//
// Defaults: a transmitter (side 1) with application 1.2.3, MAC 4.5.6.7,
// bootloader 2.1.0, signature "ZYRA TX VIRTUAL UNIT", a 64-character board
// serial, storage cells 1 (region 4), the transmission mode cell (8 on TX,
// 7 on RX: 4, unicast) and the frequency-channel cell (127 on TX, 118 on RX:
// 28 bytes, 5670 MHz switched off). Answers start at the beginning of a
// fresh block.
//
// Application processor. The application answers identity, storage,
// register, restart, IS_BOOTLDR (one byte 00), EXEC_BOOTLOADER,
// UPDATE_MAC_START, IR_COMMAND and START_REGISTRATION. The bootloader and a
// running boot agent answer GET_SIDE, IS_BOOTLDR (01 00), BL_GET_CONFIG
// (version major, minor, debug), START_UPGRADE (answer, erase, ERASE_DONE
// after the erase time), FW_DATA_BLOCK, BL_FWU_COMPLETED and the restarts;
// anything else goes unanswered. FW_DATA_BLOCK is acknowledged (empty
// payload) only after an erase, with a word count of ceil(n / 4) and at most
// 64 data bytes; others are refused without answer. BL_FWU_COMPLETED makes
// the flashed image bootable: a bootloader of version 2.0.5 or older takes
// it as a boot agent (the only thing such a bootloader starts), a newer
// bootloader or a running agent as the application. SYSTEM_RESTART starts
// that image, or the bootloader when the flash holds no completed image.
// An application started from a flashed image reports as its version the
// three bytes at the version record address (default 0x08005C00; erased
// flash reads FF FF FF).
//
// Radio (MAC) update, driven by the unit: UPDATE_MAC_START (29 bytes,
// 01 00 and bytes 0-26 of a region header) → BOOT_LOADER_STARTED → a
// DATA_BYTE request (payload: count 16-bit LE, then the offset in the pulled
// part 32-bit LE) for the 33-byte daemon header, taken from the next OUT
// transfer → DATA_BYTE requests for the daemon data, whose length is the
// daemon header's bytes 25-28 (LE, the layout of a region header) unless a
// test sets it → BOOT_LOADER_READY → DATA_BYTE requests for the region,
// whose length is bytes 25-26 of the header in UPDATE_MAC_START (the host
// passes only the low half) unless a test sets it. Every OUT transfer
// answers the pending request, whatever its size. Request sizes follow the
// test's sequence. After the whole region, the next restart gives the MAC
// version register the four region bytes at the MAC version offset
// (default 0); a restart in the middle leaves the radio without firmware
// (MAC version 0.0.0.0). So does a pull that ends unfinished: the radio
// gives it up when its power goes (a restart, a drop-out, or the video
// module leaving its running mode) and when no data came for the pull
// timeout; it then waits in its bootloader and transfers are commands again.
#pragma once

#include <memory>

#include "zyra_sim/facet_faults.h"
#include "zyra_sim/facet_flash.h"
#include "zyra_sim/facet_identity.h"
#include "zyra_sim/facet_presence.h"
#include "zyra_sim/facet_radio_pull.h"
#include "zyra_sim/facet_remote.h"
#include "zyra_sim/facet_storage.h"
#include "zyra_sim/facet_traffic.h"

namespace zyra_sim {

// The unit as tests script it: every facet above on one model.
class VirtualUnit : public IdentityFacet,
                    public StorageFacet,
                    public TrafficFacet,
                    public FaultsFacet,
                    public FlashFacet,
                    public RadioPullFacet,
                    public RemoteFacet,
                    public PresenceFacet
{
public:
    explicit VirtualUnit(uint8_t side = 1);

    // Model internals used by the libusb drop-in.
    struct Impl;
    Impl &impl();

private:
    explicit VirtualUnit(std::shared_ptr<Impl> impl);
    std::shared_ptr<Impl> impl_;
};

}  // namespace zyra_sim
