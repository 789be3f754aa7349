// The inside of a VirtualUnit. Every member is used with the model mutex held.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "in_stream.h"
#include "zyra_sim/virtual_unit.h"

namespace zyra_sim {

struct VirtualUnit::Impl {
    std::weak_ptr<Impl> self;

    // identity
    uint8_t side = 1;
    std::array<uint8_t, 3> appVersion{1, 2, 3};
    std::string signature;
    Bytes registers = Bytes(0x10000, 0);

    // storage
    std::map<uint16_t, Bytes> storage;
    std::map<uint16_t, Bytes> storageDefaults;
    int restoreCount = 0;
    int printCount = 0;

    std::vector<ReceivedFrame> frames;

    // IN endpoint
    InStream in;
    std::vector<size_t> chunking;
    Bytes precede;
    EmptyIn emptyIn = EmptyIn::Nak;
    int64_t zeroLengthCostMs = 1;
    int64_t noiseIntervalMs = 0;
    int64_t noiseSinceMs = 0;
    uint8_t noiseCount = 0;

    // scripting
    std::map<uint8_t, CommandHandler> handlers;
    bool silent = false;

    // bus presence
    bool onBus = true;
    uint64_t generation = 0; // bumped whenever the unit leaves the bus
    int64_t backAtMs = 0;
    int opensBeforeBack = 0;
    int failedOpens = 0;
    Firmware running = Firmware::Application;
    Firmware bootTarget = Firmware::Application; // what a restart comes back to
    int64_t restartTimeMs = 3000;
    int64_t restartDropDelayMs = 100;
    int restartCount = 0;
    int claimRefusals = 0;

    // A facade sharing this model, for handlers and scheduled actions.
    VirtualUnit facade();

    // ---- traffic (drop-in side) -------------------------------------------
    void receive(const Bytes &transfer, int64_t nowMs);
    void dispatch(const ReceivedFrame &frame);
    void handleNormally(const ReceivedFrame &frame);
    std::optional<Bytes> takeBlock(int64_t nowMs);
    std::optional<int64_t> nextNoiseMs() const;

    void respond(uint8_t code, const Bytes &payload);
    void after(int64_t delayMs, std::function<void(VirtualUnit &)> action);

    // ---- presence ---------------------------------------------------------
    bool presentNow(int64_t nowMs);
    bool tryOpen(int64_t nowMs);
    void dropOffBus(int64_t nowMs, int64_t backAfterMs, int backAfterOpenAttempts);
    void comeBack();
    // Answer first, leave the bus a moment later, come back into target.
    void restartInto(Firmware target);

    // ---- identity and storage defaults ------------------------------------
    void installSideDefaults();

    // ---- commands -----------------------------------------------------------
    using Command = void (Impl::*)(const ReceivedFrame &);
    static const std::map<uint8_t, Command> &commands();

    void getSide(const ReceivedFrame &frame);
    void getAppVersion(const ReceivedFrame &frame);
    void getSignature(const ReceivedFrame &frame);
    void systemRestart(const ReceivedFrame &frame);
    void bootloaderRestart(const ReceivedFrame &frame);
    void storageSet(const ReceivedFrame &frame);
    void storageGet(const ReceivedFrame &frame);
    void storageRestore(const ReceivedFrame &frame);
    void storagePrint(const ReceivedFrame &frame);
    void macRegRead(const ReceivedFrame &frame);
    void macRegWrite(const ReceivedFrame &frame);
};

// Little-endian 16-bit field of a request payload.
inline uint16_t le16(const Bytes &bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace zyra_sim
