// How the unit takes OUT transfers and serves its IN endpoint.
#include "command_codes.h"
#include "unit_impl.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

namespace {

// Fills one whole 64-byte block, so idle noise alone can fill the host's
// reassembly buffer.
constexpr size_t noisePayloadSize = InStream::streamPerBlock - 8;

}  // namespace

VirtualUnit VirtualUnit::Impl::facade()
{
    return VirtualUnit(self.lock());
}

int VirtualUnit::Impl::outTransferFault(const Bytes &transfer, int64_t nowMs)
{
    if (!outTransferHook)
        return 0;
    expireIdleMacPull(nowMs);
    ReceivedFrame seen = parseTransfer(transfer, nowMs);
    seen.data = pullingMacData();
    OutTransferHook decide = outTransferHook;  // it may replace itself
    VirtualUnit unit = facade();
    const int error = decide(unit, seen);
    if (error != 0)
        ++failedOutTransfers;
    return error;
}

void VirtualUnit::Impl::receive(const Bytes &transfer, int64_t nowMs)
{
    expireIdleMacPull(nowMs);
    frames.push_back(parseTransfer(transfer, nowMs));
    // While the radio pulls data every transfer is data, however it looks.
    if (pullingMacData()) {
        frames.back().data = true;
        takeMacData(transfer);
        return;
    }
    ReceivedFrame frame = frames.back();
    if (frame.framed)
        dispatch(frame);
}

void VirtualUnit::Impl::dispatch(const ReceivedFrame &frame)
{
    if (silent)
        return;
    auto custom = handlers.find(frame.code);
    if (custom == handlers.end()) {
        handleNormally(frame);
        return;
    }
    CommandHandler handler = custom->second;  // it may replace itself
    VirtualUnit unit = facade();
    handler(unit, frame);
}

void VirtualUnit::Impl::handleNormally(const ReceivedFrame &frame)
{
    auto command = commands().find(frame.code);
    if (command == commands().end())
        return;
    const CommandEntry &entry = command->second;
    if (running == Firmware::Application ? entry.inApplication : entry.inBootloader)
        (this->*entry.run)(frame);
}

void VirtualUnit::Impl::respond(uint8_t code, const Bytes &payload)
{
    Bytes stream = std::move(precede);
    precede.clear();
    Bytes record = makeRecord(code, payload);
    stream.insert(stream.end(), record.begin(), record.end());
    in.push(stream, chunking);
}

void VirtualUnit::Impl::send(uint8_t code, const Bytes &payload)
{
    ++recordCounts[code];
    auto hook = recordHooks.find(code);
    if (hook != recordHooks.end()) {
        RecordHook decide = hook->second;  // it may replace itself
        VirtualUnit unit = facade();
        if (!decide(unit, code, payload))
            return;
    }
    if (onBus && !silent)  // a unit off the bus has nobody to send to
        respond(code, payload);
}

void VirtualUnit::Impl::sendAfter(int64_t delayMs, uint8_t code, const Bytes &payload)
{
    if (delayMs <= 0) {
        send(code, payload);
        return;
    }
    after(delayMs, [code, payload](VirtualUnit &unit) { unit.impl().send(code, payload); });
}

std::optional<Bytes> VirtualUnit::Impl::takeBlock(int64_t nowMs)
{
    if (in.pending() == 0 && noiseIntervalMs > 0 && nowMs >= noiseSinceMs + noiseIntervalMs) {
        Bytes payload(noisePayloadSize, 0x4E);
        payload[0] = noiseCount++;
        in.push(makeRecord(cmd::idleNoise, payload, 0x02), {});
        noiseSinceMs = nowMs;
    }
    return in.take();
}

std::optional<int64_t> VirtualUnit::Impl::nextNoiseMs() const
{
    if (noiseIntervalMs <= 0)
        return std::nullopt;
    return noiseSinceMs + noiseIntervalMs;
}

void VirtualUnit::Impl::after(int64_t delayMs, std::function<void(VirtualUnit &)> action)
{
    Clock &clock = Clock::instance();
    std::weak_ptr<Impl> target = self;
    clock.schedule(clock.nowMs() + delayMs, [target, action = std::move(action)] {
        if (std::shared_ptr<Impl> impl = target.lock()) {
            VirtualUnit unit(impl);
            action(unit);
        }
    });
}

}  // namespace zyra_sim
