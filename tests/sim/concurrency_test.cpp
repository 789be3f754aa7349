// A worker thread talks to the unit while the test thread scripts it, as a
// Qt worker and its test do.
#include <atomic>
#include <thread>

#include "usb_host.h"

namespace zyra_sim::test {
namespace {

using Concurrency = SimTest;

TEST_F(Concurrency, ScriptingDuringTrafficLosesNoAnswer)
{
    std::atomic<bool> done{false};
    std::atomic<int> answered{0};
    std::thread worker([&] {
        for (int i = 0; i < 500; ++i)
            if (host.ask(wire::GET_SIDE) == Bytes{1})
                ++answered;
        done = true;
    });
    int scripted = 0;
    while (!done) {
        unit->setAppVersion(1, 2, static_cast<uint8_t>(scripted));
        unit->setStorage(200, {static_cast<uint8_t>(scripted)});
        unit->after(5, [](VirtualUnit &u) { u.setSignature("X"); });
        (void)unit->frames().size();
        ++scripted;
    }
    worker.join();
    EXPECT_EQ(answered.load(), 500);
    EXPECT_EQ(unit->framesWithCode(wire::GET_SIDE).size(), 500u);
}

}  // namespace
}  // namespace zyra_sim::test
