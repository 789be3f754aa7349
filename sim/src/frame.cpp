#include "zyra_sim/frame.h"

namespace zyra_sim {

namespace {

constexpr size_t frameOverhead = 5;  // AA BB code len ... checksum

uint8_t xorOf(const Bytes &bytes, size_t count)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum ^= bytes[i];
    return sum;
}

}  // namespace

Bytes makeRecord(uint8_t code, const Bytes &payload, uint8_t recordClass, uint8_t codeHigh)
{
    Bytes record{0x00,
                 0x24,
                 0x01,
                 recordClass,
                 codeHigh,
                 code,
                 static_cast<uint8_t>(payload.size() >> 8),
                 static_cast<uint8_t>(payload.size())};
    record.insert(record.end(), payload.begin(), payload.end());
    return record;
}

Bytes makeFrame(uint8_t code, const Bytes &payload)
{
    Bytes frame{0xAA, 0xBB, code, static_cast<uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(xorOf(frame, frame.size()));
    return frame;
}

ReceivedFrame parseTransfer(const Bytes &transfer, int64_t atMs)
{
    ReceivedFrame frame;
    frame.bytes = transfer;
    frame.atMs = atMs;
    if (transfer.size() < frameOverhead || transfer[0] != 0xAA || transfer[1] != 0xBB)
        return frame;
    size_t length = transfer[3];
    if (transfer.size() != length + frameOverhead)
        return frame;
    if (xorOf(transfer, transfer.size() - 1) != transfer.back())
        return frame;
    frame.framed = true;
    frame.code = transfer[2];
    frame.payload.assign(transfer.begin() + 4, transfer.begin() + 4 + static_cast<std::ptrdiff_t>(length));
    return frame;
}

}  // namespace zyra_sim
