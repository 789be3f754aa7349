// Host CPU per HEX record of an application update of a 1 MiB image and per
// block of a MAC update of a 1 MiB region, both against the virtual unit in
// virtual time with no device latency, and srec_cat's CPU per record for
// parsing the same image. The figures include the virtual unit's own work,
// so they are an upper bound for the library's. Goal: at most 2 us each, so
// that the host adds nothing measurable to a real unit's ~1 ms round trip.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "mac_image.h"
#include "vx_zyra.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/virtual_unit.h"

extern char **environ;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr double kGoalMicroseconds = 2.0;
constexpr uint32_t kRegionSize = 1u << 20;
constexpr size_t kMacBlock = 64;

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double seconds(const timeval &tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

std::string readText(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t dataRecords(const std::string &hex)
{
    size_t records = 0;
    for (size_t at = hex.find(':'); at != std::string::npos && at + 8 < hex.size(); at = hex.find(':', at + 1)) {
        if (hex[at + 7] == '0' && hex[at + 8] == '0')
            ++records;
    }
    return records;
}

// A fresh virtual unit with no device latency and a connected handle.
std::shared_ptr<zyra_sim::VirtualUnit> connect(vx_zyra_t &h)
{
    zyra_sim::Bus::instance().reset();
    auto unit = std::make_shared<zyra_sim::VirtualUnit>();
    unit->setEraseTimeMs(0);
    unit->setMacStepDelayMs(0);
    zyra_sim::Bus::instance().attach(unit);
    h = vx_zyra_t{};
    if (vx_zyra_connect(&h) != 0 || vx_zyra_get_info(&h) != 0) {
        std::fprintf(stderr, "cannot connect to the virtual unit: %s\n", h.error_msg);
        std::exit(1);
    }
    return unit;
}

// Prints the figures of one run; with a goal, whether it was met.
void report(const char *what, size_t units, const char *unitName, double cpu, bool againstGoal = true)
{
    const double perUnit = cpu * 1e6 / static_cast<double>(units);
    const char *verdict = !againstGoal ? "" : perUnit <= kGoalMicroseconds ? "(goal met)" : "(above the 2 us goal)";
    std::printf("%-48s %6zu %-6s %7.3f s CPU %7.3f us per %s %s\n", what, units, unitName, cpu, perUnit, unitName,
                verdict);
}

bool benchAppUpdate(const std::string &hex, size_t records)
{
    vx_zyra_t h;
    auto unit = connect(h);
    const double start = cpuSeconds();
    int rc = vx_zyra_update_app_array(&h, reinterpret_cast<const uint8_t *>(hex.data()),
                                      static_cast<uint32_t>(hex.size()), nullptr, nullptr);
    const double cpu = cpuSeconds() - start;
    if (rc != 0 || unit->dataBlocksWritten() != static_cast<int>(records)) {
        std::fprintf(stderr, "application update failed: %s\n", h.error_msg);
        return false;
    }
    report("application update, 1 MiB image (library+unit)", records, "record", cpu);
    vx_zyra_disconnect(&h);
    return true;
}

Bytes macImage()
{
    constexpr uint32_t small = 64;
    Bytes image;
    auto region = [&image](uint32_t length) {
        Bytes h(zyra::MAC_HEADER_SIZE, 0x5A);
        for (size_t i = 0; i < 4; ++i)
            h[zyra::MAC_LENGTH_FIELD + i] = static_cast<uint8_t>(length >> (8 * i));
        image.insert(image.end(), h.begin(), h.end());
        for (uint32_t i = 0; i < length; ++i)
            image.push_back(static_cast<uint8_t>(i * 37 + 11));
    };
    region(kRegionSize);
    region(small);
    region(small);
    return image;
}

bool benchMacUpdate()
{
    const Bytes image = macImage();
    vx_zyra_t h;
    auto unit = connect(h);
    unit->setRegionLength(kRegionSize);
    const double start = cpuSeconds();
    int rc = vx_zyra_update_mac_array(&h, image.data(), static_cast<uint32_t>(image.size()), nullptr, nullptr);
    const double cpu = cpuSeconds() - start;
    if (rc != 0 || unit->macRegion().size() != kRegionSize) {
        std::fprintf(stderr, "MAC update failed: %s\n", h.error_msg);
        return false;
    }
    report("MAC update, 1 MiB region (library+unit)", unit->macBlocksReceived().size(), "block", cpu);
    vx_zyra_disconnect(&h);
    return true;
}

bool benchSrecCat(const char *image, size_t records)
{
    std::vector<std::string> args = {ZYRA_SREC_CAT, image, "-intel", "-o", "/dev/null", "-binary"};
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", ZYRA_SREC_CAT);
        return false;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "srec_cat failed\n");
        return false;
    }
    report("srec_cat parse of the same image", records, "record", seconds(usage.ru_utime) + seconds(usage.ru_stime),
           false);
    return true;
}

}  // namespace

int main()
{
    const std::string hex = readText(ZYRA_BENCH_IMAGE);
    const size_t records = dataRecords(hex);
    if (records == 0) {
        std::fprintf(stderr, "no image at %s\n", ZYRA_BENCH_IMAGE);
        return 1;
    }
    bool ok = benchAppUpdate(hex, records);
    ok = benchMacUpdate() && ok;
    ok = benchSrecCat(ZYRA_BENCH_IMAGE, records) && ok;
    return ok ? 0 : 1;
}
