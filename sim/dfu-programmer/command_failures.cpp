#include "command_failures.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>

namespace zyra_dfu {

namespace {

// The command of a dfu.log line: the word after the target.
std::string commandOf(const std::string &run)
{
    std::istringstream words(run);
    std::string target;
    std::string command;
    words >> target >> command;
    return command;
}

}  // namespace

CommandFailures::CommandFailures(std::string directory) : file_(std::move(directory) + "/dfu.fail-at")
{
}

void CommandFailures::add(const std::string &command, int occurrence) const
{
    std::ofstream(file_, std::ios::app) << command << " " << occurrence << "\n";
}

bool CommandFailures::failsLast(const std::vector<std::string> &runs) const
{
    if (runs.empty())
        return false;
    const std::string command = commandOf(runs.back());
    const auto occurrence = std::count_if(runs.begin(), runs.end(),
                                          [&command](const std::string &run) { return commandOf(run) == command; });
    std::ifstream in(file_);
    std::string failing;
    for (long failingOccurrence = 0; in >> failing >> failingOccurrence;) {
        if (failing == command && failingOccurrence == occurrence)
            return true;
    }
    return false;
}

}  // namespace zyra_dfu
