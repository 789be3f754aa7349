// The virtual video module behind the dfu-programmer stand-in: an
// atxmega128a4u whose state lives in files of a directory shared between
// processes (the stand-in runs as a child of the program under test, the
// virtual radio unit runs inside it). The directory is named by the
// environment variable ZYRA_SIM_STATE_DIR. The xmega.* files are the
// module's own and live in its folder (bench_modules.h: the state folder
// itself for one unit alone, STATE/HUB/ for each unit of a bench); the
// others are the stand-in's and live in the state folder. Every file another
// process reads is replaced whole (a temporary file renamed), never seen
// half written. The files:
//   xmega.mode    "dfu" or "running", a blank, the number of times the
//                 application was started, and a line feed: the XMEGA waits in
//                 its DFU bootloader, or runs its application (and then the
//                 radio unit appears on the virtual USB bus; a new number
//                 tells the bus that the radio lost its power in between).
//                 Missing: the unit has no video module, or none is attached.
//   xmega.flash   the application flash as dfu-programmer 0.6.1 sees it,
//                 0x1E000 bytes; missing or shorter, the rest reads erased (0xFF).
//   xmega.eeprom  the 2048-byte EEPROM; missing or shorter, erased likewise.
//   dfu.log       one line per run of the stand-in: its arguments after the
//                 program name, separated by single blanks.
//   dfu.faults    scripted faults, one a line: "<fault> <run>" or
//                 "<fault> <first>-<last>", runs counted from 1 like the
//                 lines of dfu.log. Faults: "fail" (the run finds no device),
//                 "hang" (the run never ends), "empty-dump" (a dump succeeds
//                 with no output).
//   dfu.eeprom-readback
//                 "eeprom" and a line feed: a flash-eeprom reads the EEPROM
//                 back for its validation, as a flasher that selects the
//                 EEPROM unit does. Missing: it reads the flash back, as
//                 0.6.1 does on the XMEGA, and fails unless every byte of
//                 the image other than 0xFF equals the flash byte there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zyra_dfu {

// 0.6.1 counts the top 8 KiB of the 128 KiB flash as boot section.
const size_t applicationFlashBytes = 0x1E000;
const size_t flashBytes = 0x20000;
const size_t eepromBytes = 2048;

enum class Mode {
    Absent,
    Dfu,
    Running
};
enum class Fault {
    None,
    Fail,
    Hang,
    EmptyDump
};

// Writes content to path through a temporary file and a rename.
void writeFileAtomically(const std::string &path, const std::string &content);

class XmegaState
{
public:
    // The stand-in's files in directory, the module's in moduleDirectory
    // (the same folder when empty).
    explicit XmegaState(std::string directory, std::string moduleDirectory = {});
    // From ZYRA_SIM_STATE_DIR; empty when it is not set.
    static std::optional<XmegaState> fromEnvironment();

    Mode mode() const;
    void setMode(Mode mode);
    int startCount() const;

    std::vector<uint8_t> flash() const;
    void setFlash(const std::vector<uint8_t> &content);
    std::vector<uint8_t> eeprom() const;
    void setEeprom(const std::vector<uint8_t> &content);

    std::vector<std::string> runs() const;
    // Logs a run and returns its number.
    int recordRun(const std::string &arguments);

    bool eepromReadBack() const;
    void setEepromReadBack(bool fromEeprom);

    Fault faultOfRun(int run) const;
    void addFault(Fault fault, int firstRun, int lastRun);

private:
    std::string path(const char *name) const;
    std::string modulePath(const char *name) const;
    std::vector<uint8_t> memory(const char *name, size_t size) const;
    void appendFile(const char *name, const std::string &content) const;

    std::string directory_;
    std::string moduleDirectory_;
};

}  // namespace zyra_dfu
