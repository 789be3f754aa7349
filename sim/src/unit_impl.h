// The inside of a VirtualUnit. Every member is used with the model mutex held.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flash_model.h"
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
    std::string storageFile;  // where the cells outlive the process; empty: nowhere
    int restoreCount = 0;
    int printCount = 0;

    std::deque<ReceivedFrame> frames;  // a long update logs tens of thousands

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
    std::map<uint8_t, RecordHook> recordHooks;
    std::map<uint8_t, int> recordCounts;
    OutTransferHook outTransferHook;
    int failedOutTransfers = 0;
    bool silent = false;

    // application processor
    std::array<uint8_t, 3> bootloaderVersion{2, 1, 0};
    size_t bootloaderConfigLength = 3;
    uint32_t versionRecordAddress = 0x08005C00;
    int64_t eraseTimeMs = 1000;
    FlashModel flash;
    bool erased = false;  // since the last completed image: data blocks may be written
    std::optional<Firmware> flashedImage = Firmware::Application;  // the factory application
    bool imageFromModel = false;                                   // the flashed application came through FW_DATA_BLOCK
    int eraseCount = 0;
    int dataBlocksWritten = 0;
    int rejectedDataBlocks = 0;
    size_t flashOverwrites = 0;

    // radio (MAC) update
    MacUpdate mac = MacUpdate::Idle;
    Bytes macStart;
    Bytes daemonHeader;
    Bytes daemonData;
    Bytes macRegion;
    std::vector<size_t> macBlocks;
    std::vector<uint16_t> macSizes{64};
    bool macCapAtRemaining = true;
    size_t macSizeIndex = 0;
    uint32_t pullLength = 0;
    uint32_t pulled = 0;
    uint16_t lastRequest = 0;
    std::optional<uint32_t> daemonLengthSet;
    std::optional<uint32_t> regionLengthSet;
    size_t macVersionOffset = 0;
    int64_t macStepDelayMs = 0;
    int macOversizedBlocks = 0;
    int64_t macPullTimeoutMs = 30000;
    int64_t macPullActiveMs = 0;  // when the pull last asked for or took data
    bool endlessMacPull = false;
    int abandonedMacPulls = 0;

    // remote control and registration
    std::vector<uint8_t> keys;
    int registrations = 0;
    enum class Menu {
        None,
        Pairing,
        Unpairing
    };
    Menu menu = Menu::None;
    int menuSelects = 0;  // select keys since the menu opened
    static constexpr int selectsBeforeConfirmation = 2;
    static constexpr int selectsToUnpair = 2;
    bool paired = false;

    // bus presence
    bool onBus = true;
    uint64_t generation = 0;  // bumped whenever the unit leaves the bus
    int64_t backAtMs = 0;
    int opensBeforeBack = 0;
    int failedOpens = 0;
    Firmware running = Firmware::Application;
    Firmware bootTarget = Firmware::Application;  // what a restart comes back to
    int64_t restartTimeMs = 3000;
    int64_t restartDropDelayMs = 100;
    int restartCount = 0;
    int claimRefusals = 0;

    // A facade sharing this model, for handlers and scheduled actions.
    VirtualUnit facade();

    // ---- traffic (drop-in side) -------------------------------------------
    // 0 when the unit takes the transfer, else the libusb error it fails with.
    int outTransferFault(const Bytes &transfer, int64_t nowMs);
    void receive(const Bytes &transfer, int64_t nowMs);
    void dispatch(const ReceivedFrame &frame);
    void handleNormally(const ReceivedFrame &frame);
    std::optional<Bytes> takeBlock(int64_t nowMs);
    std::optional<int64_t> nextNoiseMs() const;

    void respond(uint8_t code, const Bytes &payload);
    // A record of the unit's own, past its hook; later when delayMs > 0.
    void send(uint8_t code, const Bytes &payload);
    void sendAfter(int64_t delayMs, uint8_t code, const Bytes &payload);
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
    // Takes the cells the file holds over the defaults and writes them back
    // there after every STORAGE_SET and STORAGE_RESTORE.
    void keepStorageIn(const std::string &path);
    void saveStorage() const;

    // ---- application processor ----------------------------------------------
    bool oldBootloader() const;
    void startFlashedApplication();

    // ---- radio (MAC) update ---------------------------------------------------
    bool pullingMacData() const;
    void takeMacData(const Bytes &block);
    void startPull(MacUpdate phase, uint32_t length);
    void requestNextBlock();
    void daemonReceived();
    void finishMacUpdateAtRestart();
    // A pull the host left idle past the timeout is given up: the radio
    // stays in its bootloader and the transfer is a command again.
    void expireIdleMacPull(int64_t nowMs);
    // The radio restarts without power: a pull ends, a received region
    // takes effect.
    void radioLosesPower();

    // ---- commands -----------------------------------------------------------
    using Command = void (Impl::*)(const ReceivedFrame &);
    struct CommandEntry {
        Command run;
        bool inApplication;
        bool inBootloader;  // also a running boot agent
    };
    static const std::map<uint8_t, CommandEntry> &commands();

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
    void isBootloader(const ReceivedFrame &frame);
    void execBootloader(const ReceivedFrame &frame);
    void bootloaderConfig(const ReceivedFrame &frame);
    void startUpgrade(const ReceivedFrame &frame);
    void firmwareDataBlock(const ReceivedFrame &frame);
    void firmwareUpdateCompleted(const ReceivedFrame &frame);
    void updateMacStart(const ReceivedFrame &frame);
    void irCommand(const ReceivedFrame &frame);
    void pressMenuKey(uint8_t key);
    void openMenu(Menu opened);
    void selectInMenu();
    void startRegistration(const ReceivedFrame &frame);
};

// Little-endian fields of a request payload or an image header.
inline uint16_t le16(const Bytes &bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline uint32_t le32(const Bytes &bytes, size_t at)
{
    return static_cast<uint32_t>(le16(bytes, at)) | static_cast<uint32_t>(le16(bytes, at + 2)) << 16;
}

}  // namespace zyra_sim
