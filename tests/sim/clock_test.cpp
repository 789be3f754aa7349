// Virtual time: sleeps, scheduled actions, and the real-time mode's waits.
#include <atomic>
#include <chrono>
#include <thread>

#include "usb_host.h"
#include "zyra_clock_hooks.h"

namespace zyra_sim::test {
namespace {

using VirtualTime = SimTest;

TEST_F(VirtualTime, LibraryHooksReadAndRecordVirtualTime)
{
    zyra_clock_sleep_ms(2000);
    zyra_clock_sleep_ms(5000);
    EXPECT_EQ(zyra_clock_now_ms(), 7000);
    EXPECT_EQ(clock().sleeps(), (std::vector<int64_t>{2000, 5000}));
    clock().clearSleeps();
    EXPECT_TRUE(clock().sleeps().empty());
}

TEST_F(VirtualTime, ActionsRunAtTheirOwnTimeDuringASleep)
{
    std::vector<int64_t> seen;
    unit->after(300, [&](VirtualUnit &) { seen.push_back(clock().nowMs()); });
    unit->after(100, [&](VirtualUnit &u) {
        seen.push_back(clock().nowMs());
        u.after(50, [&](VirtualUnit &) { seen.push_back(clock().nowMs()); });
    });
    clock().sleepMs(1000);
    EXPECT_EQ(seen, (std::vector<int64_t>{100, 150, 300}));
    EXPECT_EQ(clock().nowMs(), 1000);
}

TEST_F(VirtualTime, TimeNeverRunsBackwards)
{
    clock().advanceMs(500);
    clock().advanceTo(100);
    clock().advanceMs(-20);
    EXPECT_EQ(clock().nowMs(), 500);
}

TEST_F(VirtualTime, ResetForgetsTimeSleepsAndActions)
{
    bool ran = false;
    unit->after(10, [&](VirtualUnit &) { ran = true; });
    clock().sleepMs(5);
    clock().reset();
    clock().advanceMs(100);
    EXPECT_FALSE(ran);
    EXPECT_EQ(clock().nowMs(), 100);
    EXPECT_TRUE(clock().sleeps().empty());
}

// The only test with real waits, a few milliseconds: an IN transfer waiting in
// real time must not hold the model while another thread scripts the answer.
TEST_F(VirtualTime, RealTimeWaitLetsAnotherThreadAnswer)
{
    clock().setRealTime(true);
    std::atomic<int> result{1};
    std::thread reader([&] { result = host.read(5000).result; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto start = std::chrono::steady_clock::now();
    unit->respond(wire::GET_SIDE, {1});
    reader.join();
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.load(), 0);
    EXPECT_LT(waited, std::chrono::milliseconds(1000)) << "the reader should see the answer within a few ms";
    clock().setRealTime(false);
}

TEST_F(VirtualTime, RealTimeActionsFireWhenTheirTimeHasReallyPassed)
{
    clock().setRealTime(true);
    unit->after(10, [](VirtualUnit &u) { u.respond(wire::GET_SIDE, {2}); });
    EXPECT_EQ(host.awaitPayload(wire::GET_SIDE, 2000), Bytes{2});
    EXPECT_GE(clock().nowMs(), 10);
    clock().setRealTime(false);
}

}  // namespace
}  // namespace zyra_sim::test
