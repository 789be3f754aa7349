// Stand-in for dfu-programmer 0.6.1 driving the virtual video modules of
// xmega_state.h. It accepts exactly the command lines the program uses:
//   TARGET dump | erase | start
//   TARGET flash --suppress-bootloader-mem FILE
//   TARGET flash-eeprom [--suppress-validation] FILE
// TARGET is atxmega128a4u, the first module in its bootloader on the bus
// (bench_modules.h), or atxmega128a4u:BUS,ADDR, the module in its bootloader
// at that bus number and device address; as 0.6.1 it finds no device when
// none is there, and takes a malformed suffix for an unknown target.
// Like 0.6.1 it reads FILE as Intel HEX only, writes its messages to
// standard error, exits 1 on every failure, writes a dump as raw bytes to
// standard output and fails a flash-eeprom whose image differs from the
// flash, unless the state says the EEPROM is read back (see eepromValidates)
// or --suppress-validation skips the check.
// With ZYRA_SIM_NO_ACCESS=1 the bootloader refuses to be opened, and like
// 0.6.1, which cannot tell that from an empty bus, it finds no device.
#include "bench_modules.h"
#include "command_failures.h"
#include "intelhex.h"
#include "xmega_state.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using zyra_dfu::XmegaState;

namespace {

const char target[] = "atxmega128a4u";

int failure(const std::string &message)
{
    std::cerr << message << "\n";
    return 1;
}

// The device a target names: a bus number and address, or none for the first.
struct Device {
    bool named = false;
    int bus = 0;
    int address = 0;
};

// A bus number or device address: one to three digits.
std::optional<int> decimal(const std::string &digits)
{
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(digits);
}

// The device of "atxmega128a4u" or "atxmega128a4u:BUS,ADDR"; none for any
// other word.
std::optional<Device> targetDevice(const std::string &word)
{
    if (word == target)
        return Device{};
    const std::string prefix = std::string(target) + ":";
    if (word.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string suffix = word.substr(prefix.size());
    const size_t comma = suffix.find(',');
    const std::optional<int> bus = decimal(suffix.substr(0, comma));
    const std::optional<int> address = comma == std::string::npos ? std::nullopt : decimal(suffix.substr(comma + 1));
    if (!bus || !address)
        return std::nullopt;
    return Device{true, *bus, *address};
}

bool isKnownCommandLine(const std::vector<std::string> &args)
{
    if (args.size() < 2 || !targetDevice(args[0]))
        return false;
    const std::string &command = args[1];
    if (command == "dump" || command == "erase" || command == "start")
        return args.size() == 2;
    if (command == "flash")
        return args.size() == 4 && args[2] == "--suppress-bootloader-mem";
    if (command == "flash-eeprom")
        return args.size() == 3 || (args.size() == 4 && args[2] == "--suppress-validation");
    return false;
}

// Writes the HEX file's data into memory: addresses from `acceptedEnd` on
// are refused, those from `keptEnd` on (the boot section, which
// --suppress-bootloader-mem leaves alone) are passed over. Returns an error
// text, empty on success.
std::string loadHex(const std::string &fileName, std::vector<uint8_t> *memory, uint64_t acceptedEnd, uint64_t keptEnd)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return "Error opening the file.";
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const intelhex::ParseResult parsed = intelhex::parse(text);
    if (!parsed.ok())
        return "Something went wrong with creating the memory image: " + parsed.error;
    for (const intelhex::Chunk &chunk : parsed.chunks) {
        if (uint64_t{chunk.address} + chunk.bytes.size() > acceptedEnd)
            return "Hex file error - data outside the target memory.";
        for (size_t i = 0; i < chunk.bytes.size(); ++i) {
            if (chunk.address + i < keptEnd)
                (*memory)[chunk.address + i] = chunk.bytes[i];
        }
    }
    return {};
}

int flash(XmegaState &state, const std::string &fileName)
{
    std::vector<uint8_t> memory = state.flash();
    const std::string fault = loadHex(fileName, &memory, zyra_dfu::flashBytes, zyra_dfu::applicationFlashBytes);
    if (!fault.empty())
        return failure(fault);
    state.setFlash(memory);
    return 0;
}

// 0.6.1 selects the flash memory unit for reading back on the XMEGA, so it
// checks the EEPROM it has just written against the flash: every byte of
// the file other than 0xFF must equal the byte read back at its address.
bool eepromValidates(const std::string &fileName, const std::vector<uint8_t> &readBack)
{
    std::ifstream in(fileName, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const intelhex::Chunk &chunk : intelhex::parse(text).chunks) {
        for (size_t i = 0; i < chunk.bytes.size(); ++i) {
            if (chunk.bytes[i] != 0xFF && chunk.bytes[i] != readBack[chunk.address + i])
                return false;
        }
    }
    return true;
}

int flashEeprom(XmegaState &state, const std::string &fileName, bool validate)
{
    std::vector<uint8_t> memory = state.eeprom();
    const std::string fault = loadHex(fileName, &memory, zyra_dfu::eepromBytes, zyra_dfu::eepromBytes);
    if (!fault.empty())
        return failure(fault);
    state.setEeprom(memory);
    if (validate && !eepromValidates(fileName, state.eepromReadBack() ? memory : state.flash()))
        return failure("Validating...\nEeprom did not validate.");
    return 0;
}

int dump(const XmegaState &state, bool empty)
{
    if (empty)
        return 0;
    const std::vector<uint8_t> memory = state.flash();
    std::cout.write(reinterpret_cast<const char *>(memory.data()), static_cast<std::streamsize>(memory.size()));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

// The module the device names among those waiting in their bootloaders,
// every one of them on bus 1; none when no such module is there.
std::optional<XmegaState> chosenModule(const std::string &stateDir, const Device &device)
{
    for (const zyra_dfu::BenchModule &module : zyra_dfu::benchModules(stateDir)) {
        const XmegaState found(stateDir, module.directory);
        if (found.mode() != zyra_dfu::Mode::Dfu)
            continue;
        if (!device.named ||
            (device.bus == 1 && device.address == zyra_dfu::bootloaderAddress(module.hub, found.startCount())))
            return found;
    }
    return std::nullopt;
}

// A device that stopped answering: the run never ends on its own.
[[noreturn]] void hang()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

}  // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<XmegaState> state = XmegaState::fromEnvironment();
    zyra_dfu::Fault fault = zyra_dfu::Fault::None;
    if (state) {
        std::string line;
        for (const std::string &arg : args)
            line += (line.empty() ? "" : " ") + arg;
        fault = state->faultOfRun(state->recordRun(line));
        if (fault == zyra_dfu::Fault::None &&
            zyra_dfu::CommandFailures(std::getenv("ZYRA_SIM_STATE_DIR")).failsLast(state->runs()))
            fault = zyra_dfu::Fault::Fail;
    }
    if (!args.empty() && args[0].rfind(std::string(target) + ":", 0) == 0 && !targetDevice(args[0]))
        return failure("Unsupported target '" + args[0] + "'.");
    if (!isKnownCommandLine(args))
        return failure("dfu-programmer: unsupported command line.");
    if (fault == zyra_dfu::Fault::Hang)
        hang();
    const char *noAccess = std::getenv("ZYRA_SIM_NO_ACCESS");
    const bool refused = noAccess && std::string(noAccess) == "1";
    std::optional<XmegaState> module;
    if (state && fault != zyra_dfu::Fault::Fail && !refused)
        module = chosenModule(std::getenv("ZYRA_SIM_STATE_DIR"), *targetDevice(args[0]));
    if (!module)
        return failure("dfu-programmer: no device present.");

    const std::string &command = args[1];
    if (command == "dump")
        return dump(*module, fault == zyra_dfu::Fault::EmptyDump);
    if (command == "erase") {
        module->setFlash(std::vector<uint8_t>(zyra_dfu::applicationFlashBytes, 0xFF));
        return 0;
    }
    if (command == "flash")
        return flash(*module, args[3]);
    if (command == "flash-eeprom")
        return flashEeprom(*module, args.back(), args.size() == 3);
    module->setMode(zyra_dfu::Mode::Running);
    return 0;
}
