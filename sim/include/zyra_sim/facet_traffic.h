// What the unit received on its OUT endpoint and what it serves on its IN
// endpoint, block by block, with time passing on the way.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "zyra_sim/frame.h"

namespace zyra_sim {

class VirtualUnit;

// How the unit answers an IN transfer while it has nothing to send.
enum class EmptyIn {
    Nak,              // the transfer waits its whole timeout: LIBUSB_ERROR_TIMEOUT
    ZeroLengthPacket  // the transfer completes at once with 0 bytes
};

class TrafficFacet
{
public:
    std::vector<ReceivedFrame> frames() const;
    std::vector<ReceivedFrame> framesWithCode(uint8_t code) const;
    void clearFrames();

    // A response record, cut into blocks by the current chunking.
    void respond(uint8_t code, const Bytes &payload);
    // Stream bytes cut into blocks of the given stream sizes (each at most
    // 61; the rest of the stream goes in 61-byte blocks). Every block gets
    // the two leading status bytes and the trailing byte the host discards.
    void pushStream(const Bytes &stream, const std::vector<size_t> &chunkSizes = {});
    // One IN block exactly as the transfer delivers it (at most 64 bytes).
    void pushBlock(const Bytes &block);
    // Blocks waiting to be read.
    size_t pendingBlocks() const;
    // Stream sizes of the first blocks of every following response record
    // (each at most 61, 0 gives a block without stream bytes); empty: 61.
    void setChunking(const std::vector<size_t> &chunkSizes);
    // Stream bytes (other records, fragments) put in front of the next
    // response record, in the same blocks.
    void precedeNextResponse(const Bytes &stream);
    // The bytes around the stream in every block; the defaults 00 24 / 00
    // look like a record prefix, so a host that keeps them misreads.
    void setBlockFiller(uint8_t lead0, uint8_t lead1, uint8_t trail);
    void setEmptyIn(EmptyIn mode);
    // Virtual time a zero-length answer takes (default 1 ms, one USB frame);
    // without it a host polling an idle unit would never see time pass.
    void setZeroLengthPacketCostMs(int64_t ms);
    // While nothing else is pending, an unrelated record arrives every
    // intervalMs (0 switches this off). Each fills one whole block.
    void setIdleNoise(int64_t intervalMs);
    // Runs action when virtual time reaches now + delayMs (during an IN wait
    // or a sleep of the host).
    void after(int64_t delayMs, std::function<void(VirtualUnit &)> action);

protected:
    TrafficFacet() = default;
    ~TrafficFacet() = default;
};

}  // namespace zyra_sim
