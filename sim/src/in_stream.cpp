#include "in_stream.h"

#include <algorithm>
#include <stdexcept>

namespace zyra_sim {

void InStream::push(const Bytes &stream, const std::vector<size_t> &chunkSizes)
{
    for (size_t size : chunkSizes)
        if (size > streamPerBlock)
            throw std::invalid_argument("an IN block carries at most 61 stream bytes");
    size_t offset = 0;
    for (size_t size : chunkSizes) {
        if (offset >= stream.size())
            return;
        size_t take = std::min(size, stream.size() - offset);
        pushChunk(stream.data() + offset, take);
        offset += take;
    }
    while (offset < stream.size()) {
        size_t take = std::min(streamPerBlock, stream.size() - offset);
        pushChunk(stream.data() + offset, take);
        offset += take;
    }
}

void InStream::pushChunk(const uint8_t *data, size_t size)
{
    Bytes block{lead0_, lead1_};
    block.insert(block.end(), data, data + size);
    block.push_back(trail_);
    blocks_.push_back(std::move(block));
}

void InStream::pushBlock(const Bytes &block)
{
    if (block.size() > blockSize)
        throw std::invalid_argument("an IN block holds at most 64 bytes");
    blocks_.push_back(block);
}

std::optional<Bytes> InStream::take()
{
    if (blocks_.empty())
        return std::nullopt;
    Bytes block = std::move(blocks_.front());
    blocks_.pop_front();
    return block;
}

size_t InStream::pending() const
{
    return blocks_.size();
}

void InStream::clear()
{
    blocks_.clear();
}

void InStream::setFiller(uint8_t lead0, uint8_t lead1, uint8_t trail)
{
    lead0_ = lead0;
    lead1_ = lead1;
    trail_ = trail;
}

}  // namespace zyra_sim
