#include "imagechecks.h"

#include "intelhex.h"

#include <cstdint>

namespace imagechecks {

namespace {

const size_t macHeaderBytes = 33;
const size_t macLengthOffset = 25;
// Flash of the atxmega128a4u: application and boot sections.
const uint64_t xmegaFlashBytes = 0x20000;
// The library builds one command frame per data record.
const unsigned radioMaxRecordBytes = 64;

uint32_t readLittleEndian32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

} // namespace

std::string radioApplicationFault(std::string_view image)
{
    intelhex::Rules rules;
    rules.maxDataBytes = radioMaxRecordBytes;
    rules.acceptedTypes = 1u << intelhex::StartSegmentAddress | 1u << intelhex::ExtendedLinearAddress
                          | 1u << intelhex::StartLinearAddress;
    return intelhex::parse(image, rules).error;
}

std::string macFault(std::string_view image)
{
    const uint64_t size = image.size();
    if (size < macHeaderBytes)
        return "shorter than the TX region header";
    const uint64_t txLength = readLittleEndian32(image, macLengthOffset);
    const uint64_t rxHeader = macHeaderBytes + txLength;
    if (size < rxHeader + macHeaderBytes)
        return "TX region runs past the end of the image";
    const uint64_t rxLength = readLittleEndian32(image, static_cast<size_t>(rxHeader + macLengthOffset));
    if (size < rxHeader + macHeaderBytes + rxLength + macHeaderBytes)
        return "RX region or daemon header runs past the end of the image";
    return {};
}

std::string xmegaFault(std::string_view image)
{
    const intelhex::ParseResult parsed = intelhex::parse(image);
    if (!parsed.ok())
        return parsed.error;
    for (const intelhex::Chunk &chunk : parsed.chunks) {
        if (uint64_t{chunk.address} + chunk.bytes.size() > xmegaFlashBytes)
            return "data beyond the XMEGA flash";
    }
    return {};
}

} // namespace imagechecks
