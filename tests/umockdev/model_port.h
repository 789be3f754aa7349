// The virtual unit behind an emulated device node, reached through the
// model's libusb semantics (the same layer the libusb drop-in uses), so the
// real libusb and the drop-in see one behaviour.
#pragma once

#include <memory>
#include <string>

#include "unit_port.h"
#include "zyra_sim/virtual_unit.h"

namespace zyra_sim {
struct UsbHandle;
}

namespace zyra_umockdev {

class ModelPort : public UnitPort
{
public:
    // Attaches the unit to the model's bus, as its first unit or, given a
    // hub, as another one there.
    explicit ModelPort(std::shared_ptr<zyra_sim::VirtualUnit> unit, const std::string &anotherHub = {});
    ~ModelPort() override;

    // Sets the unit's answer to an IN with nothing to send. A NAK is left
    // to libusb's own (real) transfer timeout.
    void setEmptyIn(zyra_sim::EmptyIn mode);

    void opened() override;
    int claim(unsigned interfaceNumber) override;
    int release(unsigned interfaceNumber) override;
    int reset() override;
    int out(const std::vector<uint8_t> &transfer) override;
    std::optional<InCompletion> in(size_t capacity) override;
    bool present() override;

private:
    void closeHandle();

    std::shared_ptr<zyra_sim::VirtualUnit> unit_;
    std::string hub_;
    zyra_sim::EmptyIn emptyIn_ = zyra_sim::EmptyIn::Nak;
    zyra_sim::UsbHandle *handle_ = nullptr;
};

}  // namespace zyra_umockdev
