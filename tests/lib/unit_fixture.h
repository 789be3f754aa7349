// A virtual unit on a fresh bus, in virtual time from 0, and a handle
// connected to it: the starting point of every library test.
#pragma once

#include <gtest/gtest.h>
#include <libusb.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "vx_zyra.h"
#include "wire_codes.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"
#include "zyra_sim/frame.h"
#include "zyra_sim/virtual_unit.h"

namespace zyra_test {

using zyra_sim::Bytes;

// A receive that saw blocks but not the awaited record before its deadline.
constexpr int DEADLINE_PASSED = 3;

// An operation that failed the library's way: result 1, code and message.
inline void expectFailure(const vx_zyra_t &h, int rc, uint8_t code, const char *message)
{
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(h.error, code);
    EXPECT_STREQ(h.error_msg, message);
}

class UnitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        zyra_sim::Bus::instance().reset();
        unit = std::make_shared<zyra_sim::VirtualUnit>();
        zyra_sim::Bus::instance().attach(unit);
        ASSERT_EQ(vx_zyra_connect(&h), 0) << "connect failed: " << h.error_msg;
        unit->clearFrames();
        clock().clearSleeps();
    }

    void TearDown() override
    {
        if (h.devh != nullptr)
            vx_zyra_disconnect(&h);
        EXPECT_EQ(bus().unboundedWaits(), 0) << "an IN transfer was asked to wait without limit";
        zyra_sim::Bus::instance().reset();
    }

    static zyra_sim::Bus &bus() { return zyra_sim::Bus::instance(); }
    static zyra_sim::Clock &clock() { return zyra_sim::Clock::instance(); }
    static int64_t nowMs() { return clock().nowMs(); }

    // Payloads of the frames with this code the unit received, in order.
    std::vector<Bytes> payloadsSent(uint8_t code) const
    {
        std::vector<Bytes> payloads;
        for (const zyra_sim::ReceivedFrame &frame : unit->framesWithCode(code))
            payloads.push_back(frame.payload);
        return payloads;
    }

    // The unit never answers this command but keeps sending unrelated records
    // from then on, so the receive ends with its deadline.
    void chatterInsteadOfAnswering(uint8_t code)
    {
        unit->onCommand(code, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) { u.setIdleNoise(300); });
    }

    // The drain in front of the next command succeeds (one zero-length
    // packet); then the unit leaves the bus before the command goes out.
    void loseUnitAfterTheDrain()
    {
        unit->setEmptyIn(zyra_sim::EmptyIn::ZeroLengthPacket);
        unit->after(1, [](zyra_sim::VirtualUnit &u) { u.dropOffBus(60'000); });
    }

    std::shared_ptr<zyra_sim::VirtualUnit> unit;
    vx_zyra_t h{};
};

}  // namespace zyra_test
