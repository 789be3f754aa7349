// A model of one unit's USB side: it parses the command frames the host
// sends on its OUT endpoint, answers them the way a unit does, and serves
// its IN endpoint as 64-byte blocks. Tests script faults through it and
// read back everything it received.
//
// Defaults: a transmitter (side 1) with application 1.2.3, MAC 4.5.6.7,
// signature "ZYRA TX VIRTUAL UNIT", a 64-character board serial, storage
// cells 1 (region 4), the transmission mode cell (8 on TX, 7 on RX: 4,
// unicast) and the frequency-channel cell (127 on TX, 118 on RX: 28 bytes,
// 5670 MHz switched off). Answers start at the beginning of a fresh block.
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
    Nak,             // the transfer waits its whole timeout: LIBUSB_ERROR_TIMEOUT
    ZeroLengthPacket // the transfer completes at once with 0 bytes
};

// What the application processor runs.
enum class Firmware {
    Application,
    Bootloader,
    BootAgent // a flashed boot agent: it takes an image like the bootloader
};

class VirtualUnit;
// Replaces the unit's own handling of one command code. Inside, the handler
// may call respond(), handleNormally(), dropOffBus(), after() ...
using CommandHandler = std::function<void(VirtualUnit &unit, const ReceivedFrame &frame)>;

class VirtualUnit {
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
    void setStorageDefault(uint16_t id, const Bytes &value); // also sets the current value
    void setStorage(uint16_t id, const Bytes &value);
    // Removes the cell and its default: the unit answers it with an empty value.
    void eraseStorage(uint16_t id);
    std::optional<Bytes> storage(uint16_t id) const;
    int restoreCount() const; // STORAGE_RESTORE commands received
    int printCount() const;   // STORAGE_PRINT commands received

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
