// The scripting interface of the unit: every call locks the model.
#include "zyra_sim/virtual_unit.h"

#include "model_lock.h"
#include "unit_impl.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

namespace {

std::array<uint8_t, 64> defaultSerial()
{
    const std::string text = "ZYRA-VU-SERIAL-0123456789ABCDEF-0123456789ABCDEF-0123456789ABCDE";
    std::array<uint8_t, 64> serial{};
    std::copy(text.begin(), text.begin() + serial.size(), serial.begin());
    return serial;
}

constexpr uint16_t macVersionRegister = 0x0010;
constexpr uint16_t boardSerialRegister = 0x0030;

}  // namespace

VirtualUnit::VirtualUnit(uint8_t side) : impl_(std::make_shared<Impl>())
{
    impl_->self = impl_;
    impl_->signature = side == 2 ? "ZYRA RX VIRTUAL UNIT" : "ZYRA TX VIRTUAL UNIT";
    impl_->noiseSinceMs = Clock::instance().nowMs();
    setSide(side);
    setMacVersion(4, 5, 6, 7);
    setBoardSerial(defaultSerial());
}

VirtualUnit::VirtualUnit(std::shared_ptr<Impl> impl) : impl_(std::move(impl))
{
}

VirtualUnit::Impl &VirtualUnit::impl()
{
    return *impl_;
}

void VirtualUnit::setSide(uint8_t side)
{
    ModelLock lock = lockModel();
    impl_->side = side;
    impl_->installSideDefaults();
}

uint8_t VirtualUnit::side() const
{
    return lockedRead(*impl_, &Impl::side);
}

void VirtualUnit::setAppVersion(uint8_t major, uint8_t minor, uint8_t debug)
{
    lockedWrite(*impl_, &Impl::appVersion, std::array<uint8_t, 3>{major, minor, debug});
}

std::array<uint8_t, 3> VirtualUnit::appVersion() const
{
    return lockedRead(*impl_, &Impl::appVersion);
}

void VirtualUnit::setSignature(const std::string &signature)
{
    lockedWrite(*impl_, &Impl::signature, signature);
}

void VirtualUnit::setMacVersion(uint8_t major, uint8_t minor, uint8_t debug, uint8_t build)
{
    writeRegisters(macVersionRegister, {major, minor, debug, build});
}

void VirtualUnit::setBoardSerial(const std::array<uint8_t, 64> &serial)
{
    writeRegisters(boardSerialRegister, Bytes(serial.begin(), serial.end()));
}

void VirtualUnit::setStorageDefault(uint16_t id, const Bytes &value)
{
    ModelLock lock = lockModel();
    impl_->storageDefaults[id] = value;
    impl_->storage[id] = value;
}

void VirtualUnit::setStorage(uint16_t id, const Bytes &value)
{
    ModelLock lock = lockModel();
    impl_->storage[id] = value;
}

void VirtualUnit::eraseStorage(uint16_t id)
{
    ModelLock lock = lockModel();
    impl_->storage.erase(id);
    impl_->storageDefaults.erase(id);
}

std::optional<Bytes> VirtualUnit::storage(uint16_t id) const
{
    ModelLock lock = lockModel();
    auto value = impl_->storage.find(id);
    if (value == impl_->storage.end())
        return std::nullopt;
    return value->second;
}

int VirtualUnit::restoreCount() const
{
    return lockedRead(*impl_, &Impl::restoreCount);
}

int VirtualUnit::printCount() const
{
    return lockedRead(*impl_, &Impl::printCount);
}

void VirtualUnit::writeRegisters(uint16_t address, const Bytes &data)
{
    ModelLock lock = lockModel();
    for (size_t i = 0; i < data.size(); ++i)
        impl_->registers[(address + i) & 0xFFFF] = data[i];
}

Bytes VirtualUnit::readRegisters(uint16_t address, size_t count) const
{
    ModelLock lock = lockModel();
    Bytes data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = impl_->registers[(address + i) & 0xFFFF];
    return data;
}

std::vector<ReceivedFrame> VirtualUnit::frames() const
{
    ModelLock lock = lockModel();
    return std::vector<ReceivedFrame>(impl_->frames.begin(), impl_->frames.end());
}

std::vector<ReceivedFrame> VirtualUnit::framesWithCode(uint8_t code) const
{
    ModelLock lock = lockModel();
    std::vector<ReceivedFrame> matching;
    for (const ReceivedFrame &frame : impl_->frames)
        if (frame.framed && frame.code == code)
            matching.push_back(frame);
    return matching;
}

void VirtualUnit::clearFrames()
{
    ModelLock lock = lockModel();
    impl_->frames.clear();
}

void VirtualUnit::respond(uint8_t code, const Bytes &payload)
{
    ModelLock lock = lockModel();
    impl_->respond(code, payload);
}

void VirtualUnit::pushStream(const Bytes &stream, const std::vector<size_t> &chunkSizes)
{
    ModelLock lock = lockModel();
    impl_->in.push(stream, chunkSizes);
}

void VirtualUnit::pushBlock(const Bytes &block)
{
    ModelLock lock = lockModel();
    impl_->in.pushBlock(block);
}

size_t VirtualUnit::pendingBlocks() const
{
    ModelLock lock = lockModel();
    return impl_->in.pending();
}

void VirtualUnit::setChunking(const std::vector<size_t> &chunkSizes)
{
    lockedWrite(*impl_, &Impl::chunking, chunkSizes);
}

void VirtualUnit::precedeNextResponse(const Bytes &stream)
{
    ModelLock lock = lockModel();
    impl_->precede.insert(impl_->precede.end(), stream.begin(), stream.end());
}

void VirtualUnit::setBlockFiller(uint8_t lead0, uint8_t lead1, uint8_t trail)
{
    ModelLock lock = lockModel();
    impl_->in.setFiller(lead0, lead1, trail);
}

void VirtualUnit::setEmptyIn(EmptyIn mode)
{
    lockedWrite(*impl_, &Impl::emptyIn, mode);
}

void VirtualUnit::setZeroLengthPacketCostMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::zeroLengthCostMs, ms);
}

void VirtualUnit::setIdleNoise(int64_t intervalMs)
{
    ModelLock lock = lockModel();
    impl_->noiseIntervalMs = intervalMs;
    impl_->noiseSinceMs = Clock::instance().nowMs();
}

void VirtualUnit::after(int64_t delayMs, std::function<void(VirtualUnit &)> action)
{
    ModelLock lock = lockModel();
    impl_->after(delayMs, std::move(action));
}

void VirtualUnit::onCommand(uint8_t code, CommandHandler handler)
{
    ModelLock lock = lockModel();
    impl_->handlers[code] = std::move(handler);
}

void VirtualUnit::clearHandler(uint8_t code)
{
    ModelLock lock = lockModel();
    impl_->handlers.erase(code);
}

void VirtualUnit::handleNormally(const ReceivedFrame &frame)
{
    ModelLock lock = lockModel();
    impl_->handleNormally(frame);
}

void VirtualUnit::silenceCommand(uint8_t code)
{
    onCommand(code, [](VirtualUnit &, const ReceivedFrame &) {});
}

void VirtualUnit::dropOffBusAt(uint8_t code, int64_t backAfterMs)
{
    onCommand(code, [backAfterMs](VirtualUnit &unit, const ReceivedFrame &) { unit.dropOffBus(backAfterMs); });
}

void VirtualUnit::answerLate(uint8_t code, int64_t delayMs)
{
    onCommand(code, [delayMs](VirtualUnit &unit, const ReceivedFrame &frame) {
        unit.after(delayMs, [frame](VirtualUnit &late) { late.handleNormally(frame); });
    });
}

void VirtualUnit::setSilent(bool silent)
{
    lockedWrite(*impl_, &Impl::silent, silent);
}

bool VirtualUnit::silent() const
{
    return lockedRead(*impl_, &Impl::silent);
}

void VirtualUnit::fallSilentAt(uint8_t code)
{
    onCommand(code, [](VirtualUnit &unit, const ReceivedFrame &) { unit.setSilent(true); });
}

void VirtualUnit::onRecord(uint8_t code, RecordHook hook)
{
    ModelLock lock = lockModel();
    impl_->recordHooks[code] = std::move(hook);
}

void VirtualUnit::clearRecordHook(uint8_t code)
{
    ModelLock lock = lockModel();
    impl_->recordHooks.erase(code);
}

int VirtualUnit::recordCount(uint8_t code) const
{
    ModelLock lock = lockModel();
    auto count = impl_->recordCounts.find(code);
    return count == impl_->recordCounts.end() ? 0 : count->second;
}

void VirtualUnit::dropOffBusAtRecord(uint8_t code, int occurrence, int64_t backAfterMs)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence, backAfterMs](VirtualUnit &unit, uint8_t, const Bytes &) {
        if ((*seen)++ != occurrence)
            return true;
        unit.dropOffBus(backAfterMs);
        return false;
    });
}

void VirtualUnit::withholdRecordFrom(uint8_t code, int occurrence)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence](VirtualUnit &, uint8_t, const Bytes &) { return (*seen)++ < occurrence; });
}

void VirtualUnit::loseRecordAt(uint8_t code, int occurrence)
{
    auto seen = std::make_shared<int>(0);
    onRecord(code, [seen, occurrence](VirtualUnit &, uint8_t, const Bytes &) { return (*seen)++ != occurrence; });
}

void VirtualUnit::dropOffBusAtCommand(uint8_t code, int occurrence, int64_t backAfterMs)
{
    auto seen = std::make_shared<int>(0);
    onCommand(code, [seen, occurrence, backAfterMs](VirtualUnit &unit, const ReceivedFrame &frame) {
        if ((*seen)++ == occurrence)
            unit.dropOffBus(backAfterMs);
        else
            unit.handleNormally(frame);
    });
}

void VirtualUnit::onOutTransfer(OutTransferHook hook)
{
    lockedWrite(*impl_, &Impl::outTransferHook, std::move(hook));
}

void VirtualUnit::clearOutTransferHook()
{
    lockedWrite(*impl_, &Impl::outTransferHook, OutTransferHook());
}

void VirtualUnit::failOutTransferAt(uint8_t code, int occurrence, int error)
{
    auto seen = std::make_shared<int>(0);
    onOutTransfer([seen, code, occurrence, error](VirtualUnit &, const ReceivedFrame &transfer) {
        if (transfer.data || !transfer.framed || transfer.code != code)
            return 0;
        return (*seen)++ == occurrence ? error : 0;
    });
}

void VirtualUnit::failDataTransferAt(int occurrence, int error)
{
    auto seen = std::make_shared<int>(0);
    onOutTransfer([seen, occurrence, error](VirtualUnit &, const ReceivedFrame &transfer) {
        if (!transfer.data)
            return 0;
        return (*seen)++ == occurrence ? error : 0;
    });
}

int VirtualUnit::failedOutTransfers() const
{
    return lockedRead(*impl_, &Impl::failedOutTransfers);
}

void VirtualUnit::dropOffBus(int64_t backAfterMs, int backAfterOpenAttempts)
{
    ModelLock lock = lockModel();
    impl_->dropOffBus(Clock::instance().nowMs(), backAfterMs, backAfterOpenAttempts);
}

bool VirtualUnit::present() const
{
    ModelLock lock = lockModel();
    return impl_->presentNow(Clock::instance().nowMs());
}

void VirtualUnit::setRestartTimeMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::restartTimeMs, ms);
}

void VirtualUnit::setRestartDropDelayMs(int64_t ms)
{
    lockedWrite(*impl_, &Impl::restartDropDelayMs, ms);
}

int VirtualUnit::restartCount() const
{
    return lockedRead(*impl_, &Impl::restartCount);
}

Firmware VirtualUnit::running() const
{
    return lockedRead(*impl_, &Impl::running);
}

void VirtualUnit::setRunning(Firmware firmware)
{
    lockedWrite(*impl_, &Impl::running, firmware);
}

void VirtualUnit::refuseClaim(int times)
{
    lockedWrite(*impl_, &Impl::claimRefusals, times);
}

}  // namespace zyra_sim
