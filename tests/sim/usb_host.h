// A minimal host for tests of the virtual unit: it drives the unit through
// the libusb drop-in the way a host program does, and reassembles response
// records on its own (independently of the library under test).
#pragma once

#include <libusb.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wire_codes.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"
#include "zyra_sim/frame.h"
#include "zyra_sim/virtual_unit.h"

#include <gtest/gtest.h>

namespace zyra_sim::test {

struct InTransfer {
    int result = 0;
    Bytes data;
};

class UsbHost
{
public:
    // libusb_init, open and claim; null when any of them fails.
    libusb_device_handle *connect();
    void disconnect();
    // For tests that close the handle themselves.
    void forget() { handle_ = nullptr; }
    libusb_device_handle *handle() const { return handle_; }

    int send(const Bytes &transfer);
    int sendFrame(uint8_t code, const Bytes &payload) { return send(makeFrame(code, payload)); }
    InTransfer read(unsigned int timeoutMs = 1000, int capacity = 64);
    // Stream bytes of blocks read until a whole record with this code is in
    // (its payload), or until a read fails or brings no data (nullopt).
    std::optional<Bytes> awaitPayload(uint8_t code, unsigned int timeoutMs = 1000);
    // One command and its answer.
    std::optional<Bytes> ask(uint8_t code, const Bytes &payload = {});

private:
    libusb_device_handle *handle_ = nullptr;
};

// What a fresh device list shows: "PORT-PATH VENDOR:PRODUCT" each, as
// "1-2.1 22ca:1111", and their addresses.
std::vector<std::string> listedPorts(std::vector<int> *addresses = nullptr);

// Every test starts from a reset bus with one default unit attached.
class SimTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    Bus &bus() { return Bus::instance(); }
    // Sleeps past a restart and opens the unit that came back.
    void reconnectAfterRestart();
    Clock &clock() { return Clock::instance(); }

    std::shared_ptr<VirtualUnit> unit;
    UsbHost host;
};

}  // namespace zyra_sim::test
