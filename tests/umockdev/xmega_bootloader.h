// The video module's atxmega128a4u waiting in its DFU bootloader, as
// dfu-programmer 0.6.1 talks to it: DFU class requests on the control
// endpoint carrying Atmel's FLIP commands (memory unit and 64 KiB page
// selection, read, blank check, program, erase, start).
//
// Memory: the 128 KiB application section (0.6.1 calls its top 8 KiB, from
// 0x1E000, the bootloader and never writes there under
// --suppress-bootloader-mem) and the 2 KiB EEPROM. The boot section itself
// is not reachable through FLIP. Flash programming can only clear bits, as
// on the chip; EEPROM bytes are written as given.
//
// A program command whose second byte is 1 writes the EEPROM, whatever
// unit is selected (0.6.1 selects the flash unit and sends that byte for
// flash-eeprom); reads and blank checks always use the selected unit.
//
// With a state directory the memory is loaded from and written back to the
// stand-in's files (sim/dfu-programmer/xmega_state.h), and a start switches
// xmega.mode to "running", so that the virtual radio unit appears.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "xmega_state.h"

namespace zyra_umockdev {

struct ControlSetup {
    uint8_t requestType = 0;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;
};

class XmegaBootloader
{
public:
    static const size_t flashBytes = 0x20000;
    static const size_t eepromBytes = 2048;

    explicit XmegaBootloader(std::optional<zyra_dfu::XmegaState> state = std::nullopt);

    // One control transfer: `data` holds the OUT data stage, or receives
    // the IN one. Returns 0, or EPIPE for a stalled request.
    int control(const ControlSetup &setup, std::vector<uint8_t> *data);
    // The flasher let go of the device: the memory goes back to the files.
    void released();
    // A start was requested and confirmed: the application runs and the
    // bootloader no longer answers.
    bool started() const { return started_; }

    const std::vector<uint8_t> &flash() const { return flash_; }
    const std::vector<uint8_t> &eeprom() const { return eeprom_; }

private:
    enum class Unit : uint8_t {
        Flash = 0,
        Eeprom = 1
    };
    struct Read {
        size_t address = 0;
        size_t length = 0;
        bool eeprom = false;
    };

    int download(const std::vector<uint8_t> &command);
    int upload(std::vector<uint8_t> *data, size_t length);
    int program(const std::vector<uint8_t> &message);
    int readOrCheck(const std::vector<uint8_t> &command);
    int stall(uint8_t status);
    std::vector<uint8_t> *memoryOf(bool eeprom);
    size_t base() const;

    std::optional<zyra_dfu::XmegaState> state_;
    std::vector<uint8_t> flash_;
    std::vector<uint8_t> eeprom_;
    Unit unit_ = Unit::Flash;
    uint16_t page_ = 0;
    std::optional<Read> pendingRead_;
    uint8_t status_ = 0;
    uint8_t dfuState_;
    bool startRequested_ = false;
    bool started_ = false;
};

}  // namespace zyra_umockdev
