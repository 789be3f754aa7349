#include "model_port.h"

#include <libusb.h>

#include <cerrno>
#include <vector>

#include "usb_port.h"
#include "zyra_sim/bus.h"

namespace zyra_umockdev {
namespace {

// usbfs reports what libusb would turn back into these codes.
int errnoOf(int libusbResult)
{
    switch (libusbResult) {
    case 0:
        return 0;
    case LIBUSB_ERROR_BUSY:
        return EBUSY;
    case LIBUSB_ERROR_NOT_FOUND:
        return ENOENT;
    case LIBUSB_ERROR_TIMEOUT:
        return ETIMEDOUT;
    case LIBUSB_ERROR_INVALID_PARAM:
        return EINVAL;
    default:
        return ENODEV;
    }
}

}  // namespace

ModelPort::ModelPort(std::shared_ptr<zyra_sim::VirtualUnit> unit, const std::string &anotherHub)
    : unit_(std::move(unit)), hub_(anotherHub.empty() ? zyra_sim::Bus::firstHub : anotherHub)
{
    if (anotherHub.empty())
        zyra_sim::Bus::instance().attach(unit_);
    else
        zyra_sim::Bus::instance().attachAnother(unit_, anotherHub);
}

ModelPort::~ModelPort()
{
    closeHandle();
}

void ModelPort::setEmptyIn(zyra_sim::EmptyIn mode)
{
    unit_->setEmptyIn(mode);
    emptyIn_ = mode;
}

void ModelPort::closeHandle()
{
    if (!handle_)
        return;
    zyra_sim::usb::close(handle_);
    zyra_sim::usb::exit();
    handle_ = nullptr;
}

void ModelPort::opened()
{
    closeHandle();
    if (zyra_sim::usb::init() != 0)
        return;
    // This node's unit, not the model bus's first one.
    std::vector<zyra_sim::usb::DeviceId> devices;
    zyra_sim::usb::list(&devices);
    for (const zyra_sim::usb::DeviceId &device : devices) {
        if (device.path == zyra_sim::Bus::radioPort(hub_) && zyra_sim::usb::open(device, &handle_) != 0)
            handle_ = nullptr;
    }
    if (!handle_)
        zyra_sim::usb::exit();
}

int ModelPort::claim(unsigned interfaceNumber)
{
    return handle_ ? errnoOf(zyra_sim::usb::claim(handle_, static_cast<int>(interfaceNumber))) : ENODEV;
}

int ModelPort::release(unsigned interfaceNumber)
{
    return handle_ ? errnoOf(zyra_sim::usb::release(handle_, static_cast<int>(interfaceNumber))) : ENODEV;
}

int ModelPort::reset()
{
    return handle_ ? errnoOf(zyra_sim::usb::reset(handle_)) : ENODEV;
}

int ModelPort::out(const std::vector<uint8_t> &transfer)
{
    if (!handle_)
        return ENODEV;
    std::vector<uint8_t> data = transfer;
    int transferred = 0;
    return errnoOf(zyra_sim::usb::bulk(handle_, zyra_sim::usb::outEndpoint, data.data(), static_cast<int>(data.size()),
                                       &transferred, 1000));
}

std::optional<InCompletion> ModelPort::in(size_t capacity)
{
    if (!handle_)
        return InCompletion{ENODEV, {}};
    // With nothing to send a NAKing unit lets the transfer wait; asking the
    // model would make it wait out a timeout in virtual time instead.
    if (emptyIn_ == zyra_sim::EmptyIn::Nak && unit_->pendingBlocks() == 0)
        return std::nullopt;
    InCompletion done;
    done.block.resize(capacity);
    int transferred = 0;
    const int result = zyra_sim::usb::bulk(handle_, zyra_sim::usb::inEndpoint, done.block.data(),
                                           static_cast<int>(capacity), &transferred, 1000);
    done.error = errnoOf(result);
    done.block.resize(result == 0 ? static_cast<size_t>(transferred) : 0);
    return done;
}

bool ModelPort::present()
{
    return unit_->present();
}

}  // namespace zyra_umockdev
