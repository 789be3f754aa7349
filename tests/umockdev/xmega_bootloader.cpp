#include "xmega_bootloader.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zyra_umockdev {
namespace {

// DFU class requests and the states and status codes the flasher reads.
enum Request : uint8_t {
    Detach = 0,
    Download = 1,
    Upload = 2,
    GetStatus = 3,
    ClearStatus = 4,
    GetState = 5,
    Abort = 6
};
const uint8_t stateIdle = 2;
const uint8_t stateError = 10;
const uint8_t statusOk = 0x00;
const uint8_t statusCheckErased = 0x05;
const uint8_t statusAddress = 0x08;
const uint8_t statusStalled = 0x0F;

// A program message: a 64-byte control block, the data from the block's
// offset start % 64 on, then the 16-byte DFU suffix.
const size_t controlBlockBytes = 64;
const size_t suffixBytes = 16;
const size_t pageBytes = 0x10000;

uint16_t wordAt(const std::vector<uint8_t> &bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

}  // namespace

XmegaBootloader::XmegaBootloader(std::optional<zyra_dfu::XmegaState> state)
    : state_(std::move(state)), flash_(flashBytes, 0xFF), eeprom_(eepromBytes, 0xFF), dfuState_(stateIdle)
{
    if (!state_)
        return;
    const std::vector<uint8_t> application = state_->flash();
    std::copy(application.begin(), application.end(), flash_.begin());
    eeprom_ = state_->eeprom();
}

int XmegaBootloader::control(const ControlSetup &setup, std::vector<uint8_t> *data)
{
    switch (setup.request) {
    case Detach:
        return 0;
    case Download:
        return download(*data);
    case Upload:
        return upload(data, setup.length);
    case GetStatus:
        *data = {status_, 0, 0, 0, dfuState_, 0};
        return 0;
    case ClearStatus:
        status_ = statusOk;
        dfuState_ = stateIdle;
        return 0;
    case GetState:
        *data = {dfuState_};
        return 0;
    case Abort:
        pendingRead_.reset();
        dfuState_ = stateIdle;
        return 0;
    default:
        return stall(statusStalled);
    }
}

void XmegaBootloader::released()
{
    if (!state_)
        return;
    state_->setFlash(std::vector<uint8_t>(flash_.begin(), flash_.begin() + zyra_dfu::applicationFlashBytes));
    state_->setEeprom(eeprom_);
    if (started_)
        state_->setMode(zyra_dfu::Mode::Running);
}

int XmegaBootloader::download(const std::vector<uint8_t> &command)
{
    if (command.empty()) {
        // The empty download after a start command lets the application run.
        started_ = startRequested_;
        return 0;
    }
    switch (command[0]) {
    case 0x01:
        return program(command);
    case 0x03:
        return readOrCheck(command);
    case 0x04:
        if (command.size() >= 3 && command[1] == 0x00 && command[2] == 0xFF) {
            std::fill(flash_.begin(), flash_.end(), 0xFF);
            return 0;
        }
        if (command.size() >= 3 && command[1] == 0x03) {
            startRequested_ = true;
            return 0;
        }
        break;
    case 0x06:
        if (command.size() == 4 && command[1] == 0x03 && command[2] == 0x00) {
            unit_ = static_cast<Unit>(command[3]);
            return 0;
        }
        if (command.size() == 5 && command[1] == 0x03 && command[2] == 0x01) {
            page_ = wordAt(command, 3);
            return 0;
        }
        break;
    default:
        break;
    }
    return stall(statusStalled);
}

int XmegaBootloader::upload(std::vector<uint8_t> *data, size_t length)
{
    if (!pendingRead_ || length > pendingRead_->length)
        return stall(statusStalled);
    const std::vector<uint8_t> &memory = *memoryOf(pendingRead_->eeprom);
    const auto first = memory.begin() + static_cast<std::ptrdiff_t>(pendingRead_->address);
    data->assign(first, first + static_cast<std::ptrdiff_t>(length));
    pendingRead_.reset();
    return 0;
}

int XmegaBootloader::program(const std::vector<uint8_t> &message)
{
    if (message.size() < controlBlockBytes + suffixBytes)
        return stall(statusStalled);
    const uint16_t start = wordAt(message, 2);
    const uint16_t end = wordAt(message, 4);
    const bool eeprom = message[1] == 0x01 || unit_ == Unit::Eeprom;
    const size_t offset = controlBlockBytes + start % controlBlockBytes;
    const size_t length = end >= start ? size_t{end} - start + 1 : 0;
    std::vector<uint8_t> &memory = *memoryOf(eeprom);
    const size_t address = (eeprom ? 0 : base()) + start;
    if (length == 0 || message.size() < offset + length + suffixBytes || address + length > memory.size())
        return stall(statusAddress);
    for (size_t i = 0; i < length; ++i) {
        uint8_t &cell = memory[address + i];
        cell = eeprom ? message[offset + i] : static_cast<uint8_t>(cell & message[offset + i]);
    }
    return 0;
}

int XmegaBootloader::readOrCheck(const std::vector<uint8_t> &command)
{
    if (command.size() != 6 || command[1] > 0x01)
        return stall(statusStalled);
    const uint16_t start = wordAt(command, 2);
    const uint16_t end = wordAt(command, 4);
    const bool eeprom = unit_ == Unit::Eeprom;
    const std::vector<uint8_t> &memory = *memoryOf(eeprom);
    const size_t address = (eeprom ? 0 : base()) + start;
    if (end < start || address + (end - start) >= memory.size())
        return stall(statusAddress);
    const size_t length = size_t{end} - start + 1;
    if (command[1] == 0x00) {
        pendingRead_ = Read{address, length, eeprom};
        return 0;
    }
    const auto first = memory.begin() + static_cast<std::ptrdiff_t>(address);
    if (!std::all_of(first, first + static_cast<std::ptrdiff_t>(length), [](uint8_t b) { return b == 0xFF; })) {
        status_ = statusCheckErased;
        dfuState_ = stateError;
    }
    return 0;
}

int XmegaBootloader::stall(uint8_t status)
{
    status_ = status;
    dfuState_ = stateError;
    return EPIPE;
}

std::vector<uint8_t> *XmegaBootloader::memoryOf(bool eeprom)
{
    return eeprom ? &eeprom_ : &flash_;
}

size_t XmegaBootloader::base() const
{
    return size_t{page_} * pageBytes;
}

}  // namespace zyra_umockdev
