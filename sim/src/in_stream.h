// The unit's IN endpoint: stream bytes cut into blocks of at most 64 bytes,
// each with two leading status bytes and one trailing byte that carry no
// stream data.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "zyra_sim/frame.h"

namespace zyra_sim {

class InStream
{
public:
    static constexpr size_t blockSize = 64;
    static constexpr size_t streamPerBlock = 61;

    // Throws std::invalid_argument for a chunk size over 61.
    void push(const Bytes &stream, const std::vector<size_t> &chunkSizes);
    // Throws std::invalid_argument for a block over 64 bytes.
    void pushBlock(const Bytes &block);
    std::optional<Bytes> take();
    size_t pending() const;
    void clear();
    void setFiller(uint8_t lead0, uint8_t lead1, uint8_t trail);

private:
    void pushChunk(const uint8_t *data, size_t size);

    std::deque<Bytes> blocks_;
    uint8_t lead0_ = 0x00;
    uint8_t lead1_ = 0x24;
    uint8_t trail_ = 0x00;
};

}  // namespace zyra_sim
