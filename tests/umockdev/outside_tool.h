// Runs an outside program (the real dfu-programmer) as a child process
// that inherits the test's environment, umockdev's preload included.
#pragma once

#include <string>
#include <vector>

namespace zyra_umockdev {

struct ToolRun {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string standardOutput;
    std::string standardError;
};

ToolRun runTool(const std::string &program, const std::vector<std::string> &arguments);

// "<path>: <--version text>", for the test's output: which tool really ran.
std::string toolIdentity(const std::string &program);

}  // namespace zyra_umockdev
