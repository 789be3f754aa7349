// Failures scripted by command instead of by run number, for tests that do
// not know how many runs come before the one they mean: the file
// dfu.fail-at in the state directory, one failure a line,
// "<command> <occurrence>" ("erase 2": the second erase), occurrences
// counted from 1 over the lines of dfu.log. That run finds no device.
#pragma once

#include <string>
#include <vector>

namespace zyra_dfu {

class CommandFailures
{
public:
    explicit CommandFailures(std::string directory);

    void add(const std::string &command, int occurrence) const;
    // Whether the last of the runs (the lines of dfu.log) is to fail.
    bool failsLast(const std::vector<std::string> &runs) const;

private:
    std::string file_;
};

}  // namespace zyra_dfu
