// Faults a test scripts into the unit: silence, late and wrong answers,
// leaving the bus at a command.
#include "usb_host.h"

#include <functional>
#include <vector>

namespace zyra_sim::test {
namespace {

using Scripting = SimTest;

TEST_F(Scripting, SilencedCommandIsLoggedButNotAnswered)
{
    unit->silenceCommand(wire::GET_SIDE);
    ASSERT_EQ(host.sendFrame(wire::GET_SIDE, {}), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(unit->framesWithCode(wire::GET_SIDE).size(), 1u);
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{1, 2, 3})) << "other commands are still answered";
    unit->clearHandler(wire::GET_SIDE);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
}

TEST_F(Scripting, LateAnswerArrivesInsideAWaitAtItsTime)
{
    unit->answerLate(wire::GET_SIDE, 2500);
    ASSERT_EQ(host.sendFrame(wire::GET_SIDE, {}), 0);
    int64_t sent = clock().nowMs();
    EXPECT_EQ(host.read(2000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_EQ(clock().nowMs() - sent, 2000);
    InTransfer late = host.read(10000);
    EXPECT_EQ(late.result, 0);
    EXPECT_EQ(clock().nowMs() - sent, 2500) << "the wait ends when the answer is due";
}

TEST_F(Scripting, HandlerCanPutOtherRecordsBeforeTheNormalAnswer)
{
    unit->onCommand(wire::GET_SIDE, [](VirtualUnit &u, const ReceivedFrame &frame) {
        u.respond(wire::GET_APP_VERSION, {9, 9, 9});
        u.handleNormally(frame);
    });
    ASSERT_EQ(host.sendFrame(wire::GET_SIDE, {}), 0);
    EXPECT_EQ(host.awaitPayload(wire::GET_APP_VERSION), (Bytes{9, 9, 9}));
    EXPECT_EQ(host.awaitPayload(wire::GET_SIDE), Bytes{1});
}

TEST_F(Scripting, HandlerCanAnswerWithAWrongLength)
{
    unit->onCommand(wire::GET_APP_VERSION, [](VirtualUnit &u, const ReceivedFrame &frame) {
        u.respond(frame.code, {1, 2});
    });
    EXPECT_EQ(host.ask(wire::GET_APP_VERSION), (Bytes{1, 2}));
}

TEST_F(Scripting, DropOffAtCommandLeavesWithoutAnswer)
{
    unit->dropOffBusAt(wire::STORAGE_GET, 4000);
    ASSERT_EQ(host.sendFrame(wire::STORAGE_GET, {0x01, 0x00}), 0);
    EXPECT_FALSE(unit->present());
    EXPECT_EQ(host.read().result, LIBUSB_ERROR_NO_DEVICE);
}

// Each one-shot fault hits its own occurrence (the second) and no other.
TEST_F(Scripting, OneShotFaultsHitOnlyTheirOccurrence)
{
    struct Row {
        const char *name;
        std::function<void(VirtualUnit &)> script;
        int sendResult;  // of the second GET_SIDE
        int readResult;  // of the read after it
    };
    const std::vector<Row> rows{
        {"lost answer", [](VirtualUnit &u) { u.loseRecordAt(wire::GET_SIDE, 1); }, 0, LIBUSB_ERROR_TIMEOUT},
        {"failed transfer", [](VirtualUnit &u) { u.failOutTransferAt(wire::GET_SIDE, 1, LIBUSB_ERROR_IO); },
         LIBUSB_ERROR_IO, LIBUSB_ERROR_TIMEOUT},
        {"off the bus", [](VirtualUnit &u) { u.dropOffBusAtCommand(wire::GET_SIDE, 1, 4000); }, 0,
         LIBUSB_ERROR_NO_DEVICE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        host.disconnect();
        bus().reset();
        unit = std::make_shared<VirtualUnit>();
        bus().attach(unit);
        ASSERT_NE(host.connect(), nullptr);
        row.script(*unit);
        EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
        EXPECT_EQ(host.sendFrame(wire::GET_SIDE, {}), row.sendResult);
        EXPECT_EQ(host.read(10000).result, row.readResult);
        EXPECT_EQ(unit->failedOutTransfers(), row.sendResult == 0 ? 0 : 1);
        if (row.readResult == LIBUSB_ERROR_NO_DEVICE) {
            clock().advanceMs(4000);
            host.disconnect();
            ASSERT_NE(host.connect(), nullptr);
        }
        EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1}) << "the third is answered";
    }
}

TEST_F(Scripting, FallingSilentStopsEveryAnswerFromThatCommandOn)
{
    unit->fallSilentAt(wire::STORAGE_SET);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
    ASSERT_EQ(host.sendFrame(wire::STORAGE_SET, {0x01, 0x00, 0x02}), 0);
    EXPECT_EQ(host.read(10000).result, LIBUSB_ERROR_TIMEOUT);
    EXPECT_FALSE(host.ask(wire::GET_SIDE).has_value());
    EXPECT_EQ(unit->storage(1), Bytes{4}) << "a silent unit does not carry out the command either";
    unit->setSilent(false);
    EXPECT_EQ(host.ask(wire::GET_SIDE), Bytes{1});
}

TEST_F(Scripting, ActionsScheduledAtTheSameTimeRunInOrder)
{
    unit->after(100, [](VirtualUnit &u) { u.respond(wire::GET_APP_VERSION, {1}); });
    unit->after(100, [](VirtualUnit &u) { u.respond(wire::GET_APP_VERSION, {2}); });
    EXPECT_EQ(host.awaitPayload(wire::GET_APP_VERSION, 1000), Bytes{1});
    EXPECT_EQ(host.awaitPayload(wire::GET_APP_VERSION, 1000), Bytes{2});
    EXPECT_EQ(clock().nowMs(), 100);
}

TEST_F(Scripting, ActionOfADestroyedUnitDoesNothing)
{
    auto other = std::make_shared<VirtualUnit>();
    bool ran = false;
    other->after(10, [&ran](VirtualUnit &) { ran = true; });
    other.reset();
    clock().advanceMs(20);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace zyra_sim::test
