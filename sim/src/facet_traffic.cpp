#include "zyra_sim/facet_traffic.h"

#include "facet_access.h"
#include "model_lock.h"
#include "zyra_sim/clock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

std::vector<ReceivedFrame> TrafficFacet::frames() const
{
    ModelLock lock = lockModel();
    return std::vector<ReceivedFrame>(modelOf(this).frames.begin(), modelOf(this).frames.end());
}

std::vector<ReceivedFrame> TrafficFacet::framesWithCode(uint8_t code) const
{
    ModelLock lock = lockModel();
    std::vector<ReceivedFrame> matching;
    for (const ReceivedFrame &frame : modelOf(this).frames)
        if (frame.framed && frame.code == code)
            matching.push_back(frame);
    return matching;
}

void TrafficFacet::clearFrames()
{
    ModelLock lock = lockModel();
    modelOf(this).frames.clear();
}

void TrafficFacet::respond(uint8_t code, const Bytes &payload)
{
    ModelLock lock = lockModel();
    modelOf(this).respond(code, payload);
}

void TrafficFacet::pushStream(const Bytes &stream, const std::vector<size_t> &chunkSizes)
{
    ModelLock lock = lockModel();
    modelOf(this).in.push(stream, chunkSizes);
}

void TrafficFacet::pushBlock(const Bytes &block)
{
    ModelLock lock = lockModel();
    modelOf(this).in.pushBlock(block);
}

size_t TrafficFacet::pendingBlocks() const
{
    ModelLock lock = lockModel();
    return modelOf(this).in.pending();
}

void TrafficFacet::setChunking(const std::vector<size_t> &chunkSizes)
{
    lockedWrite(modelOf(this), &Impl::chunking, chunkSizes);
}

void TrafficFacet::precedeNextResponse(const Bytes &stream)
{
    ModelLock lock = lockModel();
    modelOf(this).precede.insert(modelOf(this).precede.end(), stream.begin(), stream.end());
}

void TrafficFacet::setBlockFiller(uint8_t lead0, uint8_t lead1, uint8_t trail)
{
    ModelLock lock = lockModel();
    modelOf(this).in.setFiller(lead0, lead1, trail);
}

void TrafficFacet::setEmptyIn(EmptyIn mode)
{
    lockedWrite(modelOf(this), &Impl::emptyIn, mode);
}

void TrafficFacet::setZeroLengthPacketCostMs(int64_t ms)
{
    lockedWrite(modelOf(this), &Impl::zeroLengthCostMs, ms);
}

void TrafficFacet::setIdleNoise(int64_t intervalMs)
{
    ModelLock lock = lockModel();
    modelOf(this).noiseIntervalMs = intervalMs;
    modelOf(this).noiseSinceMs = Clock::instance().nowMs();
}

void TrafficFacet::after(int64_t delayMs, std::function<void(VirtualUnit &)> action)
{
    ModelLock lock = lockModel();
    modelOf(this).after(delayMs, std::move(action));
}

}  // namespace zyra_sim
