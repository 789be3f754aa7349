#include "zyra_sim/facet_faults.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

void FaultsFacet::onCommand(uint8_t code, CommandHandler handler)
{
    ModelLock lock = lockModel();
    modelOf(this).handlers[code] = std::move(handler);
}

void FaultsFacet::clearHandler(uint8_t code)
{
    ModelLock lock = lockModel();
    modelOf(this).handlers.erase(code);
}

void FaultsFacet::handleNormally(const ReceivedFrame &frame)
{
    ModelLock lock = lockModel();
    modelOf(this).handleNormally(frame);
}

void FaultsFacet::silenceCommand(uint8_t code)
{
    onCommand(code, [](VirtualUnit &, const ReceivedFrame &) {});
}

void FaultsFacet::dropOffBusAt(uint8_t code, int64_t backAfterMs)
{
    onCommand(code, [backAfterMs](VirtualUnit &unit, const ReceivedFrame &) { unit.dropOffBus(backAfterMs); });
}

void FaultsFacet::answerLate(uint8_t code, int64_t delayMs)
{
    onCommand(code, [delayMs](VirtualUnit &unit, const ReceivedFrame &frame) {
        unit.after(delayMs, [frame](VirtualUnit &late) { late.handleNormally(frame); });
    });
}

void FaultsFacet::setSilent(bool silent)
{
    lockedWrite(modelOf(this), &Impl::silent, silent);
}

bool FaultsFacet::silent() const
{
    return lockedRead(modelOf(this), &Impl::silent);
}

void FaultsFacet::fallSilentAt(uint8_t code)
{
    onCommand(code, [](VirtualUnit &unit, const ReceivedFrame &) { unit.setSilent(true); });
}

void FaultsFacet::onRecord(uint8_t code, RecordHook hook)
{
    ModelLock lock = lockModel();
    modelOf(this).recordHooks[code] = std::move(hook);
}

void FaultsFacet::clearRecordHook(uint8_t code)
{
    ModelLock lock = lockModel();
    modelOf(this).recordHooks.erase(code);
}

int FaultsFacet::recordCount(uint8_t code) const
{
    ModelLock lock = lockModel();
    auto count = modelOf(this).recordCounts.find(code);
    return count == modelOf(this).recordCounts.end() ? 0 : count->second;
}

void FaultsFacet::dropOffBusAtRecord(uint8_t code, int occurrence, int64_t backAfterMs)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence, backAfterMs](VirtualUnit &unit, uint8_t, const Bytes &) {
        if ((*seen)++ != occurrence)
            return true;
        unit.dropOffBus(backAfterMs);
        return false;
    });
}

void FaultsFacet::withholdRecordFrom(uint8_t code, int occurrence)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence](VirtualUnit &, uint8_t, const Bytes &) { return (*seen)++ < occurrence; });
}

void FaultsFacet::loseRecordAt(uint8_t code, int occurrence)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence](VirtualUnit &, uint8_t, const Bytes &) { return (*seen)++ != occurrence; });
}

void FaultsFacet::dropOffBusAtCommand(uint8_t code, int occurrence, int64_t backAfterMs)
{
    auto seen = std::make_shared<int>(0);
    onCommand(code, [seen, occurrence, backAfterMs](VirtualUnit &unit, const ReceivedFrame &frame) {
        if ((*seen)++ == occurrence)
            unit.dropOffBus(backAfterMs);
        else
            unit.handleNormally(frame);
    });
}

void FaultsFacet::onOutTransfer(OutTransferHook hook)
{
    lockedWrite(modelOf(this), &Impl::outTransferHook, std::move(hook));
}

void FaultsFacet::clearOutTransferHook()
{
    lockedWrite(modelOf(this), &Impl::outTransferHook, OutTransferHook());
}

void FaultsFacet::failOutTransferAt(uint8_t code, int occurrence, int error)
{
    auto seen = std::make_shared<int>(0);
    onOutTransfer([seen, code, occurrence, error](VirtualUnit &, const ReceivedFrame &transfer) {
        if (transfer.data || !transfer.framed || transfer.code != code)
            return 0;
        return (*seen)++ == occurrence ? error : 0;
    });
}

void FaultsFacet::failDataTransferAt(int occurrence, int error)
{
    auto seen = std::make_shared<int>(0);
    onOutTransfer([seen, occurrence, error](VirtualUnit &, const ReceivedFrame &transfer) {
        if (!transfer.data)
            return 0;
        return (*seen)++ == occurrence ? error : 0;
    });
}

int FaultsFacet::failedOutTransfers() const
{
    return lockedRead(modelOf(this), &Impl::failedOutTransfers);
}

}  // namespace zyra_sim
