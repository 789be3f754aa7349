#include "bench_modules.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "xmega_state.h"

namespace zyra_dfu {

namespace {

const char defaultHub[] = "1-1";
const char hubFile[] = "unit.hub";

bool holdsModule(const std::string &directory)
{
    return std::filesystem::exists(directory + "/xmega.mode");
}

// A sub-folder named like a unit's hub: BUS-PORT[.PORT...], every number
// there.
bool isHubName(const std::string &name)
{
    const size_t dash = name.find('-');
    if (dash == std::string::npos)
        return false;
    const std::string numbers = name.substr(0, dash) + "." + name.substr(dash + 1);
    for (size_t start = 0;;) {
        const size_t dot = numbers.find('.', start);
        const std::string number = numbers.substr(start, dot - start);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
            return false;
        if (dot == std::string::npos)
            return true;
        start = dot + 1;
    }
}

}  // namespace

std::vector<int> portNumbers(const std::string &path)
{
    std::vector<int> numbers;
    int value = 0;
    for (char c : path) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        } else {
            numbers.push_back(value);
            value = 0;
        }
    }
    numbers.push_back(value);
    return numbers;
}

std::string moduleDirectory(const std::string &stateDir, const std::string &hub, bool ownUnit)
{
    return ownUnit ? stateDir : stateDir + "/" + hub;
}

std::string ownUnitHub(const std::string &stateDir)
{
    std::string hub;
    std::ifstream(stateDir + "/" + hubFile) >> hub;
    return isHubName(hub) ? hub : defaultHub;
}

void setOwnUnitHub(const std::string &stateDir, const std::string &hub)
{
    const std::string path = stateDir + "/" + hubFile;
    if (hub == defaultHub) {
        std::remove(path.c_str());
        return;
    }
    writeFileAtomically(path, hub + "\n");
}

std::vector<BenchModule> benchModules(const std::string &stateDir)
{
    std::vector<BenchModule> modules;
    if (holdsModule(stateDir))
        modules.push_back({ownUnitHub(stateDir), stateDir});
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(stateDir, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(error) && isHubName(name) && holdsModule(entry.path().string()))
            modules.push_back({name, entry.path().string()});
    }
    std::stable_sort(modules.begin(), modules.end(), [](const BenchModule &a, const BenchModule &b) {
        return portNumbers(a.hub) < portNumbers(b.hub);
    });
    return modules;
}

uint8_t bootloaderAddress(const std::string &hub, int starts)
{
    const int slot = portNumbers(hub).back() % 16;
    const int turn = ((starts % 6) + 6) % 6;  // 6 * 16 = 96 addresses
    return static_cast<uint8_t>(32 + (turn * 16 + slot) % 96);
}

}  // namespace zyra_dfu
