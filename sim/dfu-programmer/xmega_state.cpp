#include "xmega_state.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>

#include <unistd.h>

namespace zyra_dfu {

namespace {

const char modeFile[] = "xmega.mode";
const char flashFile[] = "xmega.flash";
const char eepromFile[] = "xmega.eeprom";
const char logFile[] = "dfu.log";
const char faultFile[] = "dfu.faults";
const char readBackFile[] = "dfu.eeprom-readback";

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char *faultName(Fault fault)
{
    switch (fault) {
    case Fault::Fail:
        return "fail";
    case Fault::Hang:
        return "hang";
    case Fault::EmptyDump:
        return "empty-dump";
    case Fault::None:
        break;
    }
    return "";
}

}  // namespace

void writeFileAtomically(const std::string &path, const std::string &content)
{
    // One temporary name per process: two processes may write the same file.
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out.flush())
            return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

XmegaState::XmegaState(std::string directory, std::string moduleDirectory)
    : directory_(std::move(directory)),
      moduleDirectory_(moduleDirectory.empty() ? directory_ : std::move(moduleDirectory))
{
}

std::optional<XmegaState> XmegaState::fromEnvironment()
{
    const char *directory = std::getenv("ZYRA_SIM_STATE_DIR");
    if (!directory || !*directory)
        return std::nullopt;
    return XmegaState(directory);
}

std::string XmegaState::path(const char *name) const
{
    return directory_ + "/" + name;
}

std::string XmegaState::modulePath(const char *name) const
{
    return moduleDirectory_ + "/" + name;
}

void XmegaState::appendFile(const char *name, const std::string &content) const
{
    std::ofstream(path(name), std::ios::binary | std::ios::app) << content;
}

Mode XmegaState::mode() const
{
    std::ifstream in(modulePath(modeFile));
    std::string word;
    if (!(in >> word))
        return Mode::Absent;
    if (word == "dfu")
        return Mode::Dfu;
    if (word == "running")
        return Mode::Running;
    return Mode::Absent;
}

void XmegaState::setMode(Mode mode)
{
    if (mode == Mode::Absent) {
        std::remove(modulePath(modeFile).c_str());
        return;
    }
    int starts = startCount();
    if (mode == Mode::Running && this->mode() != Mode::Running)
        ++starts;
    writeFileAtomically(modulePath(modeFile),
                        (mode == Mode::Dfu ? "dfu " : "running ") + std::to_string(starts) + "\n");
}

int XmegaState::startCount() const
{
    std::ifstream in(modulePath(modeFile));
    std::string word;
    int starts = 0;
    in >> word >> starts;
    return starts;
}

std::vector<uint8_t> XmegaState::memory(const char *name, size_t size) const
{
    const std::string stored = readFile(modulePath(name));
    std::vector<uint8_t> content(size, 0xFF);
    for (size_t i = 0; i < stored.size() && i < size; ++i)
        content[i] = static_cast<uint8_t>(stored[i]);
    return content;
}

std::vector<uint8_t> XmegaState::flash() const
{
    return memory(flashFile, applicationFlashBytes);
}

void XmegaState::setFlash(const std::vector<uint8_t> &content)
{
    writeFileAtomically(modulePath(flashFile), std::string(content.begin(), content.end()));
}

std::vector<uint8_t> XmegaState::eeprom() const
{
    return memory(eepromFile, eepromBytes);
}

void XmegaState::setEeprom(const std::vector<uint8_t> &content)
{
    writeFileAtomically(modulePath(eepromFile), std::string(content.begin(), content.end()));
}

std::vector<std::string> XmegaState::runs() const
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path(logFile)));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int XmegaState::recordRun(const std::string &arguments)
{
    appendFile(logFile, arguments + "\n");
    return static_cast<int>(runs().size());
}

bool XmegaState::eepromReadBack() const
{
    std::ifstream in(path(readBackFile));
    std::string word;
    return (in >> word) && word == "eeprom";
}

void XmegaState::setEepromReadBack(bool fromEeprom)
{
    if (fromEeprom)
        writeFileAtomically(path(readBackFile), "eeprom\n");
    else
        std::remove(path(readBackFile).c_str());
}

Fault XmegaState::faultOfRun(int run) const
{
    std::istringstream in(readFile(path(faultFile)));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string name;
        std::string runs;
        if (!(words >> name >> runs))
            continue;
        const size_t dash = runs.find('-');
        const int first = std::atoi(runs.c_str());
        const int last = dash == std::string::npos ? first : std::atoi(runs.c_str() + dash + 1);
        if (run < first || run > last)
            continue;
        for (Fault fault : {Fault::Fail, Fault::Hang, Fault::EmptyDump}) {
            if (name == faultName(fault))
                return fault;
        }
    }
    return Fault::None;
}

void XmegaState::addFault(Fault fault, int firstRun, int lastRun)
{
    appendFile(faultFile,
               std::string(faultName(fault)) + " " + std::to_string(firstRun) + "-" + std::to_string(lastRun) + "\n");
}

}  // namespace zyra_dfu
