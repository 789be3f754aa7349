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

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "zyra_sim/frame.h"

namespace zyra_sim {

// How the unit answers an IN transfer while it has nothing to send.
enum class EmptyIn {
    Nak,              // the transfer waits its whole timeout: LIBUSB_ERROR_TIMEOUT
    ZeroLengthPacket  // the transfer completes at once with 0 bytes
};

// Where a receiver's pairing through its remote-control menu stands.
enum class PairingStage {
    Idle,                 // no pairing menu open
    Started,              // IR_CMD_ADD opened the pairing menu
    AwaitingConfirmation  // the search runs; the next select key confirms
};

// What the application processor runs.
enum class Firmware {
    Application,
    Bootloader,
    BootAgent  // a flashed boot agent: it takes an image like the bootloader
};

// Where a radio (MAC) update stands.
enum class MacUpdate {
    Idle,
    PullingDaemonHeader,
    PullingDaemon,
    PullingRegion,
    Complete  // region received; the host restarts the unit next
};

class VirtualUnit;
// Replaces the unit's own handling of one command code. Inside, the handler
// may call respond(), handleNormally(), dropOffBus(), after() ...
using CommandHandler = std::function<void(VirtualUnit &unit, const ReceivedFrame &frame)>;
// Sees a record the unit is about to send of its own accord (an answer, or a
// request such as DATA_BYTE); returns false to keep it back. May also make
// the unit drop off the bus.
using RecordHook = std::function<bool(VirtualUnit &unit, uint8_t code, const Bytes &payload)>;
// Sees an OUT transfer before the unit takes it (`transfer.data` tells a
// data block of a radio update); returns 0 to let it through, or the libusb
// error the host's transfer fails with, and the unit never sees it.
using OutTransferHook = std::function<int(VirtualUnit &unit, const ReceivedFrame &transfer)>;

class VirtualUnit
{
public:
    explicit VirtualUnit(uint8_t side = 1);

    // ---- identity -------------------------------------------------------
    // Also installs that side's default storage cells.
    void setSide(uint8_t side);
    uint8_t side() const;
    void setAppVersion(uint8_t major, uint8_t minor, uint8_t debug);
    std::array<uint8_t, 3> appVersion() const;
    void setSignature(const std::string &signature);
    // Register 0x0010, 4 bytes.
    void setMacVersion(uint8_t major, uint8_t minor, uint8_t debug, uint8_t build);
    // Register 0x0030, 64 bytes.
    void setBoardSerial(const std::array<uint8_t, 64> &serial);

    // ---- storage (key-value store with defaults) -------------------------
    void setStorageDefault(uint16_t id, const Bytes &value);  // also sets the current value
    void setStorage(uint16_t id, const Bytes &value);
    // Removes the cell and its default: the unit answers it with an empty value.
    void eraseStorage(uint16_t id);
    std::optional<Bytes> storage(uint16_t id) const;
    int restoreCount() const;  // STORAGE_RESTORE commands received
    int printCount() const;    // STORAGE_PRINT commands received

    // ---- radio registers (16-bit address space, wrapping) ----------------
    void writeRegisters(uint16_t address, const Bytes &data);
    Bytes readRegisters(uint16_t address, size_t count) const;

    // ---- what the unit received -----------------------------------------
    std::vector<ReceivedFrame> frames() const;
    std::vector<ReceivedFrame> framesWithCode(uint8_t code) const;
    void clearFrames();

    // ---- IN stream ------------------------------------------------------
    // A response record, cut into blocks by the current chunking.
    void respond(uint8_t code, const Bytes &payload);
    // Stream bytes cut into blocks of the given stream sizes (each at most
    // 61; the rest of the stream goes in 61-byte blocks). Every block gets
    // the two leading status bytes and the trailing byte the host discards.
    void pushStream(const Bytes &stream, const std::vector<size_t> &chunkSizes = {});
    // One IN block exactly as the transfer delivers it (at most 64 bytes).
    void pushBlock(const Bytes &block);
    // Blocks waiting to be read.
    size_t pendingBlocks() const;
    // Stream sizes of the first blocks of every following response record
    // (each at most 61, 0 gives a block without stream bytes); empty: 61.
    void setChunking(const std::vector<size_t> &chunkSizes);
    // Stream bytes (other records, fragments) put in front of the next
    // response record, in the same blocks.
    void precedeNextResponse(const Bytes &stream);
    // The bytes around the stream in every block; the defaults 00 24 / 00
    // look like a record prefix, so a host that keeps them misreads.
    void setBlockFiller(uint8_t lead0, uint8_t lead1, uint8_t trail);
    void setEmptyIn(EmptyIn mode);
    // Virtual time a zero-length answer takes (default 1 ms, one USB frame);
    // without it a host polling an idle unit would never see time pass.
    void setZeroLengthPacketCostMs(int64_t ms);
    // While nothing else is pending, an unrelated record arrives every
    // intervalMs (0 switches this off). Each fills one whole block.
    void setIdleNoise(int64_t intervalMs);
    // Runs action when virtual time reaches now + delayMs (during an IN wait
    // or a sleep of the host).
    void after(int64_t delayMs, std::function<void(VirtualUnit &)> action);

    // ---- scripting --------------------------------------------------------
    void onCommand(uint8_t code, CommandHandler handler);
    void clearHandler(uint8_t code);
    // The unit's own reaction to a frame (used by handlers that add to it).
    void handleNormally(const ReceivedFrame &frame);
    // Convenience faults.
    void silenceCommand(uint8_t code);
    void dropOffBusAt(uint8_t code, int64_t backAfterMs);
    // The command is answered normally, but only delayMs later.
    void answerLate(uint8_t code, int64_t delayMs);
    // A silent unit records what it receives and answers nothing.
    void setSilent(bool silent);
    bool silent() const;
    // From this command on (itself included) the unit is silent.
    void fallSilentAt(uint8_t code);

    // Hooks on the unit's own records, and how many it sent of a code.
    void onRecord(uint8_t code, RecordHook hook);
    void clearRecordHook(uint8_t code);
    int recordCount(uint8_t code) const;
    // The unit drops off the bus instead of sending its record number
    // `occurrence` (counting from 0) of this code.
    void dropOffBusAtRecord(uint8_t code, int occurrence, int64_t backAfterMs);
    // The unit keeps back every record of this code from number `occurrence` on.
    void withholdRecordFrom(uint8_t code, int occurrence);
    // Only record number `occurrence` of this code is lost on its way: the
    // unit goes on as if it had been sent.
    void loseRecordAt(uint8_t code, int occurrence);
    // The unit drops off the bus instead of carrying out its command number
    // `occurrence` (counting from 0) of this code.
    void dropOffBusAtCommand(uint8_t code, int occurrence, int64_t backAfterMs);

    // Faults of the OUT transfers themselves.
    void onOutTransfer(OutTransferHook hook);
    void clearOutTransferHook();
    // The transfer of command number `occurrence` (counting from 0) of this
    // code fails with the libusb error `error`, once.
    void failOutTransferAt(uint8_t code, int occurrence, int error);
    // The same for data block number `occurrence` of the radio updates.
    void failDataTransferAt(int occurrence, int error);
    // OUT transfers a hook made fail.
    int failedOutTransfers() const;

    // ---- application processor -------------------------------------------
    void setBootloaderVersion(uint8_t major, uint8_t minor, uint8_t debug);
    // Bytes in BL_GET_CONFIG's answer (default 3): more are zero padding; a
    // bootloader answering fewer than 3 is an old one that needs the agent.
    void setBootloaderConfigLength(size_t length);
    void setVersionRecordAddress(uint32_t address);
    // Time between START_UPGRADE's answer and ERASE_DONE (default 1000 ms).
    void setEraseTimeMs(int64_t ms);
    // Flash content; bytes never written since the last erase read 0xFF.
    Bytes flash(uint32_t address, size_t count) const;
    // Every run of bytes written since the last erase, by start address.
    std::map<uint32_t, Bytes> flashSegments() const;
    size_t flashBytesWritten() const;
    int eraseCount() const;
    int dataBlocksWritten() const;
    // FW_DATA_BLOCKs refused (no erase before, wrong word count, over 64 bytes).
    int rejectedDataBlocks() const;
    // Bytes written twice without an erase between.
    size_t flashOverwrites() const;
    // What a restart would start, if the flash holds a completed image.
    std::optional<Firmware> flashedImage() const;

    // ---- radio (MAC) update -------------------------------------------------
    // Request sizes, used in turn and from the start again for each pull;
    // with capAtRemaining a request never asks for more than is left (a
    // size of 0 is still asked for as 0). Default {64}, capped.
    void setMacBlockSizes(const std::vector<uint16_t> &sizes, bool capAtRemaining = true);
    void setDaemonLength(std::optional<uint32_t> length);
    void setRegionLength(std::optional<uint32_t> length);
    void setMacVersionOffset(size_t offset);
    // Time the unit takes before each record of the update (default 0).
    void setMacStepDelayMs(int64_t ms);
    MacUpdate macUpdate() const;
    Bytes macStartPayload() const;
    Bytes daemonHeader() const;
    Bytes daemonData() const;
    Bytes macRegion() const;
    // Sizes of the data transfers the unit was sent, in order.
    std::vector<size_t> macBlocksReceived() const;
    // Data transfers larger than the request they answered.
    int macOversizedBlocks() const;
    // Time without data after which a pull is given up (default 30000 ms).
    void setMacPullTimeoutMs(int64_t ms);
    // A faulty radio that never gives up a pull, neither when idle nor when
    // its power goes: everything the host sends is taken as data.
    void setEndlessMacPull(bool endless);
    // Pulls given up unfinished.
    int abandonedMacPulls() const;

    // ---- remote control and registration -------------------------------------
    std::vector<uint8_t> keys() const;  // IR_COMMAND key codes, in order
    int registrationCount() const;
    // A receiver pairs through its menu (a transmitter only records keys):
    // IR_CMD_ADD opens the pairing menu, two select keys choose pairing and
    // start the search, a third confirms and pairs. IR_CMD_DELETE opens the
    // unpairing prompt, which two select keys confirm. IR_CMD_ESC and a
    // restart close any open menu; other keys leave it as it is. A unit
    // stays paired across restarts.
    PairingStage pairingStage() const;
    bool paired() const;

    // ---- bus presence -----------------------------------------------------
    // Leaves the bus now: open handles go stale (LIBUSB_ERROR_NO_DEVICE) and
    // opens fail until backAfterMs have passed and, in addition, at least
    // backAfterOpenAttempts further open attempts were made (and failed).
    // The unit that comes back is fresh: IN data pending before is lost.
    void dropOffBus(int64_t backAfterMs, int backAfterOpenAttempts = 0);
    bool present() const;
    // Time a restart keeps the unit off the bus (default 3000 ms).
    void setRestartTimeMs(int64_t ms);
    // Time between a restart command's answer and the unit leaving the bus
    // (default 100 ms), so the host can read the answer.
    void setRestartDropDelayMs(int64_t ms);
    int restartCount() const;
    Firmware running() const;
    void setRunning(Firmware firmware);
    // The next `times` claims of interface 0 fail with LIBUSB_ERROR_BUSY.
    void refuseClaim(int times);

    // Model internals used by the libusb drop-in.
    struct Impl;
    Impl &impl();

private:
    explicit VirtualUnit(std::shared_ptr<Impl> impl);
    std::shared_ptr<Impl> impl_;
};

}  // namespace zyra_sim
