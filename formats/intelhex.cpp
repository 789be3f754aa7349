#include "intelhex.h"

#include <cstdio>

namespace intelhex {

namespace {

bool isBlank(std::string_view line)
{
    for (char c : line) {
        if (c != ' ' && c != '\t' && c != '\r')
            return false;
    }
    return true;
}

// The bytes a record's hexadecimal text stands for, or an error text.
std::string decode(std::string_view line, std::vector<uint8_t> *bytes)
{
    if (line.empty() || line[0] != ':')
        return "record does not start with ':'";
    std::string_view digits = line.substr(1);
    if (!digits.empty() && digits.back() == '\r')
        digits.remove_suffix(1);
    if (digits.size() % 2 != 0)
        return "odd number of hexadecimal digits";
    bytes->clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0)
            return "not a hexadecimal digit";
        bytes->push_back(static_cast<uint8_t>(high << 4 | low));
    }
    if (bytes->size() < 5)
        return "record too short";
    if (bytes->size() != 5u + (*bytes)[0])
        return "byte count does not match the record length";
    uint8_t sum = 0;
    for (uint8_t b : *bytes)
        sum = static_cast<uint8_t>(sum + b);
    if (sum != 0)
        return "checksum mismatch";
    return {};
}

unsigned payloadLengthOf(uint8_t type)
{
    switch (type) {
    case EndOfFile:
        return 0;
    case ExtendedSegmentAddress:
    case ExtendedLinearAddress:
        return 2;
    case StartSegmentAddress:
    case StartLinearAddress:
        return 4;
    default:
        return 0;
    }
}

}  // namespace

ParseResult parse(std::string_view text)
{
    ParseResult result;
    uint32_t base = 0;
    std::vector<uint8_t> bytes;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (isBlank(line))
            continue;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const std::string fault = decode(line, &bytes);
        if (!fault.empty()) {
            result.error = where + fault;
            return result;
        }
        const uint8_t count = bytes[0];
        const uint16_t offset = static_cast<uint16_t>(bytes[1] << 8 | bytes[2]);
        const uint8_t type = bytes[3];
        const uint8_t *payload = bytes.data() + 4;
        if (type > StartLinearAddress) {
            result.error = where + "unsupported record type " + std::to_string(type);
            return result;
        }
        if (type == Data) {
            result.chunks.push_back({base + offset, std::vector<uint8_t>(payload, payload + count)});
            continue;
        }
        if (count != payloadLengthOf(type)) {
            result.error = where + "wrong length for record type " + std::to_string(type);
            return result;
        }
        if (type == EndOfFile)
            return result;
        if (type == ExtendedSegmentAddress)
            base = static_cast<uint32_t>(payload[0] << 8 | payload[1]) << 4;
        else if (type == ExtendedLinearAddress)
            base = static_cast<uint32_t>(payload[0] << 8 | payload[1]) << 16;
    }
    result.error = "no end-of-file record";
    return result;
}

void appendRecord(std::string *out, uint8_t type, uint16_t offset, const uint8_t *data, size_t count)
{
    char field[3];
    uint8_t sum = static_cast<uint8_t>(count + (offset >> 8) + (offset & 0xFF) + type);
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(count));
    *out += ':';
    *out += field;
    char header[7];
    std::snprintf(header, sizeof header, "%04X%02X", static_cast<unsigned>(offset), static_cast<unsigned>(type));
    *out += header;
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(data[i]));
        *out += field;
        sum = static_cast<uint8_t>(sum + data[i]);
    }
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(static_cast<uint8_t>(-sum)));
    *out += field;
    *out += '\n';
}

std::string write(const std::vector<Chunk> &segments, const WriteOptions &options)
{
    std::string out;
    const unsigned recordBytes =
        options.recordBytes == 0 ? 16 : (options.recordBytes > 255 ? 255 : options.recordBytes);
    uint32_t upper = 0;
    for (const Chunk &segment : segments) {
        size_t done = 0;
        while (done < segment.bytes.size()) {
            const uint32_t at = segment.address + static_cast<uint32_t>(done);
            if (at >> 16 != upper) {
                upper = at >> 16;
                const uint8_t value[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
                appendRecord(&out, ExtendedLinearAddress, 0, value, 2);
            }
            const uint32_t toBoundary = 0x10000 - (at & 0xFFFF);
            size_t count = segment.bytes.size() - done;
            if (count > recordBytes)
                count = recordBytes;
            if (count > toBoundary)
                count = toBoundary;
            appendRecord(&out, Data, static_cast<uint16_t>(at), segment.bytes.data() + done, count);
            done += count;
        }
    }
    if (options.withStartAddress) {
        const uint32_t s = options.startAddress;
        const uint8_t value[4] = {static_cast<uint8_t>(s >> 24), static_cast<uint8_t>(s >> 16),
                                  static_cast<uint8_t>(s >> 8), static_cast<uint8_t>(s)};
        appendRecord(&out, StartLinearAddress, 0, value, 4);
    }
    appendRecord(&out, EndOfFile, 0, nullptr, 0);
    return out;
}

}  // namespace intelhex
