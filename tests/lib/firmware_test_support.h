// What the firmware update tests share: the progress reports an update made,
// and OUT transfers that fail as if the unit had just left the bus (the
// virtual unit can only leave between commands, never between an answer
// and the host's next command).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "vx_zyra.h"
#include "zyra_sim/frame.h"

namespace zyra_test {

struct Report {
    std::string message;
    int percent;
    bool operator==(const Report &other) const { return message == other.message && percent == other.percent; }
};

std::ostream &operator<<(std::ostream &out, const Report &report);

// Collects the reports of one update; pass callback and this as its data.
class ProgressLog
{
public:
    static void *callback(char *message, int percent, void *log);
    const std::vector<Report> &reports() const { return reports_; }
    // The percentages of the reports with this message, in order.
    std::vector<int> percents(const std::string &message) const;

private:
    std::vector<Report> reports_;
};

// A run of "percent" reports from first to last, one each.
std::vector<Report> percentRun(int first, int last, const char *message = "percent");

// Fails the OUT transfer number `occurrence` (from 0) among those matching
// `match` with LIBUSB_ERROR_NO_DEVICE; the unit does not see it.
void failOutTransfer(std::function<bool(const zyra_sim::Bytes &)> match, int occurrence = 0);
// Matches the command frames of one code.
std::function<bool(const zyra_sim::Bytes &)> commandFrame(uint8_t code);
// Matches transfers that are not command frames (the MAC update's data).
std::function<bool(const zyra_sim::Bytes &)> rawTransfer();
void clearOutFaults();
// Faulted transfers so far.
int outFaultsHit();

// Whole content of a file.
zyra_sim::Bytes readBinaryFile(const std::string &path);

}  // namespace zyra_test
