// What an emulated USB device node needs from the unit behind it, in the
// kernel's terms: every call gives 0 or the errno usbfs would give.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zyra_umockdev {

// A finished IN transfer: its errno, else the block (empty for a
// zero-length packet).
struct InCompletion {
    int error = 0;
    std::vector<uint8_t> block;
};

class UnitPort
{
public:
    virtual ~UnitPort() = default;

    // The host opened the device node; what it opened before is gone.
    virtual void opened() = 0;
    virtual int claim(unsigned interfaceNumber) = 0;
    virtual int release(unsigned interfaceNumber) = 0;
    virtual int reset() = 0;
    // One OUT transfer on endpoint 0x02.
    virtual int out(const std::vector<uint8_t> &transfer) = 0;
    // A waiting IN transfer on endpoint 0x81 of at most capacity bytes;
    // nothing while it must keep waiting.
    virtual std::optional<InCompletion> in(size_t capacity) = 0;
    // Whether the unit is on the bus at the current (virtual) time.
    virtual bool present() = 0;
};

}  // namespace zyra_umockdev
