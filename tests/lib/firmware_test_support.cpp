#include "firmware_test_support.h"

#include <dlfcn.h>
#include <libusb.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <ostream>

#include "wire_codes.h"

namespace zyra_test {
namespace {

struct OutFault {
    std::function<bool(const zyra_sim::Bytes &)> match;
    int remaining = -1;  // matching transfers to let pass first; -1: none armed
    int hits = 0;
};

OutFault &fault()
{
    static OutFault f;
    return f;
}

bool isCommandFrame(const zyra_sim::Bytes &bytes)
{
    return bytes.size() >= wire::FRAME_OVERHEAD && bytes[0] == wire::FRAME_PREFIX_0 &&
           bytes[1] == wire::FRAME_PREFIX_1 && bytes.size() == bytes[3] + wire::FRAME_OVERHEAD;
}

}  // namespace

std::ostream &operator<<(std::ostream &out, const Report &report)
{
    return out << "(\"" << report.message << "\", " << report.percent << ")";
}

void *ProgressLog::callback(char *message, int percent, void *log)
{
    static_cast<ProgressLog *>(log)->reports_.push_back({message, percent});
    return nullptr;
}

std::vector<int> ProgressLog::percents(const std::string &message) const
{
    std::vector<int> values;
    for (const Report &report : reports_) {
        if (report.message == message)
            values.push_back(report.percent);
    }
    return values;
}

std::vector<Report> percentRun(int first, int last, const char *message)
{
    std::vector<Report> run;
    for (int p = first; p <= last; ++p)
        run.push_back({message, p});
    return run;
}

void failOutTransfer(std::function<bool(const zyra_sim::Bytes &)> match, int occurrence)
{
    fault().match = std::move(match);
    fault().remaining = occurrence;
}

std::function<bool(const zyra_sim::Bytes &)> commandFrame(uint8_t code)
{
    return [code](const zyra_sim::Bytes &bytes) { return isCommandFrame(bytes) && bytes[2] == code; };
}

std::function<bool(const zyra_sim::Bytes &)> rawTransfer()
{
    return [](const zyra_sim::Bytes &bytes) { return !isCommandFrame(bytes); };
}

void clearOutFaults()
{
    fault() = OutFault{};
}

int outFaultsHit()
{
    return fault().hits;
}

zyra_sim::Bytes readBinaryFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return zyra_sim::Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace zyra_test

// Takes the library's bulk transfers ahead of the virtual unit's drop-in
// and hands every one it does not fail on to it.
extern "C" int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle *handle, unsigned char endpoint,
                                                unsigned char *data, int length, int *transferred, unsigned int timeout)
{
    using Transfer =
        int(LIBUSB_CALL *)(libusb_device_handle *, unsigned char, unsigned char *, int, int *, unsigned int);
    static const Transfer next = reinterpret_cast<Transfer>(dlsym(RTLD_NEXT, "libusb_bulk_transfer"));
    zyra_test::OutFault &f = zyra_test::fault();
    if (endpoint == wire::ENDPOINT_OUT && f.remaining >= 0 && f.match(zyra_sim::Bytes(data, data + length))) {
        if (f.remaining-- == 0) {
            ++f.hits;
            if (transferred != nullptr)
                *transferred = 0;
            return LIBUSB_ERROR_NO_DEVICE;
        }
    }
    return next(handle, endpoint, data, length, transferred, timeout);
}
