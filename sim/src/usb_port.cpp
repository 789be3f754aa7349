#include "usb_port.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "bus_state.h"
#include "model_lock.h"
#include "zyra_sim/clock.h"

namespace zyra_sim::usb {

namespace {

Bus::State &bus()
{
    return Bus::instance().state();
}

int64_t now()
{
    return Clock::instance().nowMs();
}

// A handle the host may use: one it opened and has not closed.
bool usable(const UsbHandle *handle)
{
    if (handle && bus().known.count(handle) && handle->open)
        return true;
    ++bus().misuses;
    return false;
}

// libusb takes 0 as "wait forever"; a negative timeout computed by the host
// arrives as a huge unsigned one. Either would hang a faulty host, so both
// are counted and time out at once.
bool unbounded(unsigned int timeoutMs)
{
    return timeoutMs == 0 || timeoutMs > static_cast<unsigned int>(INT_MAX);
}

std::optional<int64_t> earliest(std::optional<int64_t> a, std::optional<int64_t> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

int bulkOut(UsbHandle &handle, const uint8_t *data, int length, int *transferred)
{
    Clock::instance().runDue();
    if (bus().stale(handle))
        return LIBUSB_ERROR_NO_DEVICE;
    const Bytes transfer(data, data + length);
    if (int fault = handle.unit->outTransferFault(transfer, now()))
        return fault;
    handle.unit->receive(transfer, now());
    *transferred = length;
    return 0;
}

// An IN transfer with nothing pending waits in virtual time: up to the next
// scheduled event of the unit when that falls inside the timeout, else the
// whole timeout. A zero-length-packet unit completes at once, after one frame.
int bulkIn(ModelLock &lock, UsbHandle &handle, uint8_t *data, int length, int *transferred, unsigned int timeoutMs)
{
    Clock &clock = Clock::instance();
    if (unbounded(timeoutMs)) {
        ++bus().unboundedWaits;
        return LIBUSB_ERROR_TIMEOUT;
    }
    const int64_t deadline = clock.nowMs() + timeoutMs;
    for (;;) {
        clock.runDue();
        if (bus().stale(handle))
            return LIBUSB_ERROR_NO_DEVICE;
        VirtualUnit::Impl &unit = *handle.unit;
        if (std::optional<Bytes> block = unit.takeBlock(clock.nowMs())) {
            size_t count = std::min(block->size(), static_cast<size_t>(length));
            std::copy(block->begin(), block->begin() + static_cast<std::ptrdiff_t>(count), data);
            *transferred = static_cast<int>(count);
            return 0;
        }
        if (unit.emptyIn == EmptyIn::ZeroLengthPacket) {
            int64_t frameEnd = clock.nowMs() + unit.zeroLengthCostMs;
            lock.unlock();
            clock.advanceTo(frameEnd);
            return 0;
        }
        if (clock.realTime()) {
            if (clock.nowMs() >= deadline)
                return LIBUSB_ERROR_TIMEOUT;
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.lock();
            continue;
        }
        std::optional<int64_t> next = earliest(clock.nextDueMs(), unit.nextNoiseMs());
        if (next && *next <= deadline) {
            clock.advanceTo(*next);
            continue;
        }
        clock.advanceTo(deadline);
        return LIBUSB_ERROR_TIMEOUT;
    }
}

}  // namespace

int init()
{
    ModelLock lock = lockModel();
    if (bus().initFails)
        return LIBUSB_ERROR_OTHER;
    ++bus().initCount;
    return 0;
}

void exit()
{
    ModelLock lock = lockModel();
    ++bus().exitCount;
}

namespace {

// The radio at this port while libusb would list it; the unit's video
// module keeps it off the bus while it is not running.
bool listable(Bus::State &state, const BusPort &port)
{
    return state.radioAllowed(port, now()) && port.unit->impl().presentNow(now());
}

DeviceId radioDevice(Bus::State &state, const BusPort &port)
{
    VirtualUnit::Impl &radio = port.unit->impl();
    const std::string path = Bus::radioPort(port.hub);
    return {vendorId, productId, path, state.addressAt(path, &radio, radio.generation)};
}

int openUnit(Bus::State &state, const BusPort &port, UsbHandle **handle)
{
    VirtualUnit::Impl &unit = port.unit->impl();
    if (state.accessRefused)
        return LIBUSB_ERROR_ACCESS;
    const DeviceId device = radioDevice(state, port);
    UsbHandle &opened = state.handles.emplace_back();
    opened.unit = unit.self.lock();
    opened.unitGeneration = unit.generation;
    opened.busEpoch = state.busEpoch;
    opened.path = device.path;
    opened.address = device.address;
    state.known.insert(&opened);
    *handle = &opened;
    return 0;
}

// Counts an open attempt; a libusb error code once libusb is not set up.
int startOpen(Bus::State &state)
{
    ++state.openAttempts;
    if (!state.libusbActive()) {
        ++state.misuses;
        return LIBUSB_ERROR_OTHER;
    }
    Clock::instance().runDue();
    return 0;
}

// The bootloader is listed, but only the stand-in dfu-programmer speaks to it.
int openBootloader(const Bus::State &state)
{
    return state.accessRefused ? LIBUSB_ERROR_ACCESS : LIBUSB_ERROR_NOT_SUPPORTED;
}

// The unit's video module while it waits in its bootloader.
std::optional<DeviceId> bootloaderDevice(const Bus::State &state, const BusPort &port)
{
    if (std::optional<uint8_t> address = state.bootloaderAddress(port))
        return DeviceId{bootloaderVendorId, bootloaderProductId, Bus::modulePort(port.hub), *address};
    return std::nullopt;
}

// The video modules waiting in their bootloaders, in the bus's order.
std::vector<DeviceId> bootloaders(const Bus::State &state)
{
    std::vector<DeviceId> found;
    for (const BusPort &port : state.attached()) {
        if (std::optional<DeviceId> device = bootloaderDevice(state, port))
            found.push_back(*device);
    }
    return found;
}

}  // namespace

int list(std::vector<DeviceId> *devices)
{
    ModelLock lock = lockModel();
    Bus::State &state = bus();
    if (!state.libusbActive()) {
        ++state.misuses;
        return LIBUSB_ERROR_OTHER;
    }
    Clock::instance().runDue();
    devices->clear();
    for (const BusPort &port : state.attached()) {
        if (listable(state, port))
            devices->push_back(radioDevice(state, port));
        if (std::optional<DeviceId> bootloader = bootloaderDevice(state, port))
            devices->push_back(*bootloader);
    }
    return 0;
}

int open(uint16_t vendor, uint16_t product, UsbHandle **handle)
{
    ModelLock lock = lockModel();
    Bus::State &state = bus();
    if (int fault = startOpen(state))
        return fault;
    if (vendor == bootloaderVendorId && product == bootloaderProductId)
        return bootloaders(state).empty() ? LIBUSB_ERROR_NO_DEVICE : openBootloader(state);
    if (vendor != vendorId || product != productId)
        return LIBUSB_ERROR_NOT_FOUND;
    for (const BusPort &port : state.attached()) {
        if (state.radioAllowed(port, now()) && port.unit->impl().tryOpen(now()))
            return openUnit(state, port, handle);
    }
    return LIBUSB_ERROR_NO_DEVICE;
}

int open(const DeviceId &device, UsbHandle **handle)
{
    ModelLock lock = lockModel();
    Bus::State &state = bus();
    if (int fault = startOpen(state))
        return fault;
    if (device.vendor == bootloaderVendorId && device.product == bootloaderProductId) {
        for (const DeviceId &bootloader : bootloaders(state)) {
            if (bootloader.path == device.path && bootloader.address == device.address)
                return openBootloader(state);
        }
        return LIBUSB_ERROR_NO_DEVICE;
    }
    for (const BusPort &port : state.attached()) {
        if (Bus::radioPort(port.hub) == device.path && listable(state, port) &&
            radioDevice(state, port).address == device.address)
            return openUnit(state, port, handle);
    }
    return LIBUSB_ERROR_NO_DEVICE;
}

int claim(UsbHandle *handle, int interfaceNumber)
{
    ModelLock lock = lockModel();
    if (!usable(handle))
        return LIBUSB_ERROR_INVALID_PARAM;
    if (bus().stale(*handle))
        return LIBUSB_ERROR_NO_DEVICE;
    if (interfaceNumber != 0)
        return LIBUSB_ERROR_NOT_FOUND;
    if (handle->unit->claimRefusals > 0) {
        --handle->unit->claimRefusals;
        return LIBUSB_ERROR_BUSY;
    }
    handle->claimed = true;
    return 0;
}

int release(UsbHandle *handle, int interfaceNumber)
{
    ModelLock lock = lockModel();
    if (!usable(handle))
        return LIBUSB_ERROR_INVALID_PARAM;
    if (interfaceNumber != 0 || !handle->claimed)
        return LIBUSB_ERROR_NOT_FOUND;
    handle->claimed = false;
    return bus().stale(*handle) ? LIBUSB_ERROR_NO_DEVICE : 0;
}

void close(UsbHandle *handle)
{
    ModelLock lock = lockModel();
    if (!usable(handle))
        return;
    handle->open = false;
    handle->claimed = false;
}

int reset(UsbHandle *handle)
{
    ModelLock lock = lockModel();
    if (!usable(handle))
        return LIBUSB_ERROR_INVALID_PARAM;
    ++bus().resets;
    return bus().stale(*handle) ? LIBUSB_ERROR_NOT_FOUND : 0;
}

int bulk(UsbHandle *handle, uint8_t endpoint, uint8_t *data, int length, int *transferred, unsigned int timeoutMs)
{
    ModelLock lock = lockModel();
    int ignored = 0;
    if (!transferred)
        transferred = &ignored;
    *transferred = 0;
    if (!usable(handle))
        return LIBUSB_ERROR_INVALID_PARAM;
    if (length < 0 || (length > 0 && !data))
        return LIBUSB_ERROR_INVALID_PARAM;
    if (endpoint == outEndpoint)
        return bulkOut(*handle, data, length, transferred);
    if (endpoint == inEndpoint)
        return bulkIn(lock, *handle, data, length, transferred, timeoutMs);
    return LIBUSB_ERROR_NOT_FOUND;
}

}  // namespace zyra_sim::usb
