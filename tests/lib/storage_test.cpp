// Storage commands: their payloads, the unit's store, every failure of the
// failure table with its message, code and result.
#include <functional>
#include <string>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

using StorageCommands = UnitTest;

TEST_F(StorageCommands, SetOfOneByteSendsIdLowIdHighValue)
{
    uint8_t value = 0x05;
    ASSERT_EQ(vx_zyra_storage_set(&h, 0x0201, &value, 1), 0);
    const auto frames = unit->framesWithCode(wire::STORAGE_SET);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xAA, 0xBB, 0x8B, 0x03, 0x01, 0x02, 0x05, 0x9F}));
    EXPECT_EQ(unit->storage(0x0201), Bytes{0x05});
}

TEST_F(StorageCommands, ValuesUpTo57BytesAreStoredLongerOnesRefusedBeforeAnythingIsSent)
{
    Bytes value(58, 0x77);
    EXPECT_EQ(vx_zyra_storage_set(&h, 127, value.data(), value.size()), 1);
    EXPECT_STREQ(h.error_msg, "Storage value too long");
    EXPECT_TRUE(unit->frames().empty());

    value.pop_back();
    ASSERT_EQ(vx_zyra_storage_set(&h, 127, value.data(), value.size()), 0);
    EXPECT_EQ(unit->storage(127), value);
}

TEST_F(StorageCommands, GetReturnsTheValueAndItsLength)
{
    unit->setStorage(118, Bytes(28, 0x3C));
    uint8_t data[64] = {};
    size_t length = 0;
    ASSERT_EQ(vx_zyra_storage_get(&h, 118, data, &length), 0);
    EXPECT_EQ(length, 28u);
    EXPECT_EQ(Bytes(data, data + 28), Bytes(28, 0x3C));
    EXPECT_EQ(payloadsSent(wire::STORAGE_GET), (std::vector<Bytes>{Bytes{118, 0}}));
}

TEST_F(StorageCommands, GetOfAnEmptyValueGivesLengthZero)
{
    uint8_t data[64] = {0xEE};
    size_t length = 99;
    ASSERT_EQ(vx_zyra_storage_get(&h, 0x4321, data, &length), 0);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(data[0], 0xEE);
}

TEST_F(StorageCommands, GetOfAValueLongerThanTheBufferHandsOnWhatWasReceived)
{
    unit->onCommand(wire::STORAGE_GET, [](zyra_sim::VirtualUnit &u, const zyra_sim::ReceivedFrame &) {
        u.respond(wire::STORAGE_GET, Bytes(100, 0x42));
    });
    uint8_t data[64 + 16];
    std::fill(std::begin(data), std::end(data), 0xEE);
    size_t length = 0;
    ASSERT_EQ(vx_zyra_storage_get(&h, 5, data, &length), 0);
    EXPECT_EQ(length, 64u);
    EXPECT_EQ(Bytes(data, data + 64), Bytes(64, 0x42));
    EXPECT_EQ(Bytes(data + 64, data + 80), Bytes(16, 0xEE)) << "written past the 64 bytes data holds";
}

TEST_F(StorageCommands, RestoreBringsBackTheDefaults)
{
    unit->setStorageDefault(1, {4});
    unit->setStorage(1, {9});
    ASSERT_EQ(vx_zyra_storage_restore(&h), 0);
    EXPECT_EQ(unit->restoreCount(), 1);
    EXPECT_EQ(unit->storage(1), Bytes{4});
    EXPECT_EQ(payloadsSent(wire::STORAGE_RESTORE), (std::vector<Bytes>{Bytes{}}));
}

TEST_F(StorageCommands, DumpAsksTheUnitToPrintAndNeverCallsBack)
{
    storage_callback_f callback = nullptr;
    ASSERT_EQ(vx_zyra_storage_dump(&h, &callback), 0);
    EXPECT_EQ(unit->printCount(), 1);
    EXPECT_EQ(payloadsSent(wire::STORAGE_PRINT), (std::vector<Bytes>{Bytes{0x00}}));
}

TEST_F(StorageCommands, EveryCommandDrainsFirst)
{
    unit->respond(wire::STORAGE_GET, {0x66});
    uint8_t data[64];
    size_t length = 0;
    ASSERT_EQ(vx_zyra_storage_get(&h, 1, data, &length), 0);
    EXPECT_EQ(Bytes(data, data + length), unit->storage(1).value()) << "a stale answer was taken";
}

TEST_F(StorageCommands, FailedGetLeavesDataAndLengthUntouched)
{
    unit->silenceCommand(wire::STORAGE_GET);
    uint8_t data[64] = {0xEE};
    size_t length = 7;
    EXPECT_EQ(vx_zyra_storage_get(&h, 1, data, &length), 1);
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(data[0], 0xEE);
}

// One storage operation and how it reports its failures.
struct StorageOperation {
    std::string name;
    uint8_t code;
    std::function<int(vx_zyra_t *)> call;
    // Storage set returns the drain's and the receive's own result; the
    // others return 1.
    bool returnsTransportResult;
};

uint8_t storedValue[] = {1};
uint8_t received[64];
size_t receivedLength = 7;

void PrintTo(const StorageOperation &operation, std::ostream *os)
{
    *os << operation.name;
}

const StorageOperation operations[] = {
    {"STORAGE_SET", wire::STORAGE_SET, [](vx_zyra_t *h) { return vx_zyra_storage_set(h, 1, storedValue, 1); }, true},
    {"STORAGE_GET", wire::STORAGE_GET,
     [](vx_zyra_t *h) { return vx_zyra_storage_get(h, 1, received, &receivedLength); }, false},
    {"STORAGE_RESTORE", wire::STORAGE_RESTORE, [](vx_zyra_t *h) { return vx_zyra_storage_restore(h); }, false},
    {"STORAGE_PRINT", wire::STORAGE_PRINT, [](vx_zyra_t *h) { return vx_zyra_storage_dump(h, nullptr); }, false},
};

class StorageFailures : public UnitTest, public ::testing::WithParamInterface<StorageOperation>
{
protected:
    void expectFailure(int rc, int transportResult, const std::string &message)
    {
        const StorageOperation &op = GetParam();
        EXPECT_EQ(rc, op.returnsTransportResult ? transportResult : 1);
        EXPECT_EQ(h.error, static_cast<uint8_t>(transportResult)) << "the failing call's result, low byte";
        EXPECT_EQ(std::string(h.error_msg), message);
    }
};

TEST_P(StorageFailures, DrainFailure)
{
    unit->dropOffBus(60'000);
    expectFailure(GetParam().call(&h), LIBUSB_ERROR_NO_DEVICE, "Failed to clear ZYRA device buffer");
    EXPECT_TRUE(unit->frames().empty());
}

TEST_P(StorageFailures, SendFailure)
{
    loseUnitAfterTheDrain();
    const int rc = GetParam().call(&h);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(h.error, static_cast<uint8_t>(LIBUSB_ERROR_NO_DEVICE));
    EXPECT_EQ(std::string(h.error_msg), "Failed to send " + GetParam().name + " command");
    EXPECT_TRUE(unit->frames().empty());
}

TEST_P(StorageFailures, ReceiveTimeout)
{
    unit->silenceCommand(GetParam().code);
    expectFailure(GetParam().call(&h), LIBUSB_ERROR_TIMEOUT, "Failed to receive " + GetParam().name + " command");
}

TEST_P(StorageFailures, ReceiveDeadline)
{
    chatterInsteadOfAnswering(GetParam().code);
    expectFailure(GetParam().call(&h), DEADLINE_PASSED, "Failed to receive " + GetParam().name + " command");
}

INSTANTIATE_TEST_SUITE_P(Operations, StorageFailures, ::testing::ValuesIn(operations),
                         [](const ::testing::TestParamInfo<StorageOperation> &row) { return row.param.name; });

}  // namespace
}  // namespace zyra_test
