// The unit whole: its model, made with the defaults of virtual_unit.h.
#include "zyra_sim/virtual_unit.h"

#include "unit_impl.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

namespace {

std::array<uint8_t, 64> defaultSerial()
{
    const std::string text = "ZYRA-VU-SERIAL-0123456789ABCDEF-0123456789ABCDEF-0123456789ABCDE";
    std::array<uint8_t, 64> serial{};
    std::copy(text.begin(), text.begin() + serial.size(), serial.begin());
    return serial;
}

}  // namespace

VirtualUnit::VirtualUnit(uint8_t side) : impl_(std::make_shared<Impl>())
{
    impl_->self = impl_;
    impl_->signature = side == 2 ? "ZYRA RX VIRTUAL UNIT" : "ZYRA TX VIRTUAL UNIT";
    impl_->noiseSinceMs = Clock::instance().nowMs();
    setSide(side);
    setMacVersion(4, 5, 6, 7);
    setBoardSerial(defaultSerial());
}

VirtualUnit::VirtualUnit(std::shared_ptr<Impl> impl) : impl_(std::move(impl))
{
}

VirtualUnit::Impl &VirtualUnit::impl()
{
    return *impl_;
}

}  // namespace zyra_sim
