#include "usb_host.h"

#include <cstdio>

namespace zyra_sim::test {

namespace {

std::optional<Bytes> findRecord(const Bytes &stream, uint8_t code)
{
    for (size_t p = 0; p + wire::RECORD_HEADER <= stream.size(); ++p) {
        if (stream[p] != wire::RECORD_PREFIX_0 || stream[p + 1] != wire::RECORD_PREFIX_1 ||
            stream[p + 2] != wire::RECORD_TYPE || stream[p + 5] != code)
            continue;
        size_t length = static_cast<size_t>(stream[p + 6] << 8 | stream[p + 7]);
        if (stream.size() - p - wire::RECORD_HEADER < length)
            return std::nullopt;
        return Bytes(stream.begin() + static_cast<std::ptrdiff_t>(p + wire::RECORD_HEADER),
                     stream.begin() + static_cast<std::ptrdiff_t>(p + wire::RECORD_HEADER + length));
    }
    return std::nullopt;
}

}  // namespace

libusb_device_handle *UsbHost::connect()
{
    if (libusb_init(nullptr) != 0)
        return nullptr;
    handle_ = libusb_open_device_with_vid_pid(nullptr, wire::USB_VENDOR_ID, wire::USB_PRODUCT_ID);
    if (handle_ && libusb_claim_interface(handle_, 0) != 0) {
        libusb_close(handle_);
        handle_ = nullptr;
    }
    return handle_;
}

void UsbHost::disconnect()
{
    if (!handle_)
        return;
    libusb_release_interface(handle_, 0);
    libusb_close(handle_);
    libusb_exit(nullptr);
    handle_ = nullptr;
}

int UsbHost::send(const Bytes &transfer)
{
    Bytes copy = transfer;
    int sent = -1;
    int result =
        libusb_bulk_transfer(handle_, wire::ENDPOINT_OUT, copy.data(), static_cast<int>(copy.size()), &sent, 1000);
    if (result == 0) {
        EXPECT_EQ(sent, static_cast<int>(copy.size())) << "an OUT transfer is taken whole";
    }
    return result;
}

InTransfer UsbHost::read(unsigned int timeoutMs, int capacity)
{
    InTransfer in;
    in.data.resize(static_cast<size_t>(capacity));
    int got = -1;
    in.result = libusb_bulk_transfer(handle_, wire::ENDPOINT_IN, in.data.data(), capacity, &got, timeoutMs);
    in.data.resize(in.result == 0 ? static_cast<size_t>(got) : 0);
    return in;
}

std::optional<Bytes> UsbHost::awaitPayload(uint8_t code, unsigned int timeoutMs)
{
    Bytes stream;
    for (;;) {
        InTransfer in = read(timeoutMs);
        if (in.result != 0 || in.data.empty())
            return std::nullopt;
        if (in.data.size() >= 3)
            stream.insert(stream.end(), in.data.begin() + 2, in.data.end() - 1);
        if (std::optional<Bytes> payload = findRecord(stream, code))
            return payload;
    }
}

std::optional<Bytes> UsbHost::ask(uint8_t code, const Bytes &payload)
{
    if (sendFrame(code, payload) != 0)
        return std::nullopt;
    return awaitPayload(code);
}

void SimTest::SetUp()
{
    bus().reset();
    unit = std::make_shared<VirtualUnit>();
    bus().attach(unit);
    ASSERT_NE(host.connect(), nullptr) << "the default unit must open and claim";
}

void SimTest::reconnectAfterRestart()
{
    clock().sleepMs(10000);
    host.disconnect();
    ASSERT_NE(host.connect(), nullptr) << "the unit should be back 10 s after a restart";
}

void SimTest::TearDown()
{
    host.disconnect();
    bus().reset();
}

std::vector<std::string> listedPorts(std::vector<int> *addresses)
{
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(nullptr, &list);
    std::vector<std::string> devices;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(list[i], &descriptor);
        uint8_t ports[7];
        std::string path = std::to_string(libusb_get_bus_number(list[i]));
        const int depth = libusb_get_port_numbers(list[i], ports, 7);
        for (int p = 0; p < depth; ++p)
            path += (p == 0 ? "-" : ".") + std::to_string(ports[p]);
        char ids[16];
        std::snprintf(ids, sizeof ids, " %04x:%04x", descriptor.idVendor, descriptor.idProduct);
        devices.push_back(path + ids);
        if (addresses)
            addresses->push_back(libusb_get_device_address(list[i]));
    }
    if (count >= 0)
        libusb_free_device_list(list, 1);
    return devices;
}

}  // namespace zyra_sim::test
