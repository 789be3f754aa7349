#include "app_image.h"

#include "intelhex.h"

namespace appimage {

namespace {

// Reads hex byte pairs strictly in order, stopping at the bound or at the
// first character that is not a hex digit; never looks further ahead.
class HexReader
{
public:
    HexReader(const char *pos, const char *end) : pos_(pos), end_(end) {}

    bool byte(uint8_t &value)
    {
        const int high = digit();
        if (high < 0)
            return false;
        const int low = digit();
        if (low < 0)
            return false;
        value = static_cast<uint8_t>(high << 4 | low);
        sum_ = static_cast<uint8_t>(sum_ + value);
        return true;
    }

    // Whether the bytes read so far, checksum included, add up to zero.
    bool sumIsZero() const { return sum_ == 0; }

private:
    int digit()
    {
        if (end_ != nullptr && pos_ >= end_)
            return -1;
        return intelhex::hexDigit(*pos_++);
    }

    const char *pos_;
    const char *end_;
    uint8_t sum_ = 0;
};

bool lengthFitsType(const Record &record)
{
    switch (record.type) {
    case intelhex::Data:
        return true;
    case intelhex::EndOfFile:
        return record.count == 0;
    case intelhex::ExtendedLinearAddress:
        return record.count == 2;
    case intelhex::StartSegmentAddress:
    case intelhex::StartLinearAddress:
        return record.count == 4;
    default:
        return false;
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Digits per record beyond its data: ':', count, address, type, checksum.
constexpr size_t recordOverhead = 11;

}  // namespace

RecordRead readRecord(const char *pos, const char *end, Record &record)
{
    RecordRead read;
    if (pos == nullptr || (end != nullptr && pos >= end) || pos[0] != ':') {
        read.fault = "record does not start with ':'";
        return read;
    }
    HexReader reader(pos + 1, end);
    uint8_t addressHigh = 0;
    uint8_t addressLow = 0;
    if (!reader.byte(record.count) || !reader.byte(addressHigh) || !reader.byte(addressLow) ||
        !reader.byte(record.type)) {
        read.fault = "record cut short or not hexadecimal";
        return read;
    }
    record.address = static_cast<uint16_t>(addressHigh << 8 | addressLow);
    if (record.count > maxDataBytes) {
        read.fault = "data record longer than 64 bytes";
        return read;
    }
    uint8_t checksum = 0;
    for (size_t i = 0; i < record.count; ++i) {
        if (!reader.byte(record.data[i])) {
            read.fault = "record cut short or not hexadecimal";
            return read;
        }
    }
    if (!reader.byte(checksum)) {
        read.fault = "record cut short or not hexadecimal";
        return read;
    }
    if (record.type == intelhex::ExtendedSegmentAddress || record.type > intelhex::StartLinearAddress)
        read.fault = "unsupported record type";
    else if (!lengthFitsType(record))
        read.fault = "wrong length for its record type";
    read.checksumMatches = reader.sumIsZero();
    return read;
}

LineRead readLine(std::string_view text, size_t at, Record &record)
{
    LineRead line;
    const size_t lineFeed = text.find('\n', at);
    const size_t lineEnd = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    if (lineFeed != std::string_view::npos)
        line.next = lineFeed + 1;
    const RecordRead read = readRecord(text.data() + at, text.data() + lineEnd, record);
    if (read.fault != nullptr) {
        line.fault = read.fault;
        return line;
    }
    if (!read.checksumMatches) {
        line.fault = "checksum mismatch";
        return line;
    }
    for (size_t i = at + recordOverhead + 2 * record.count; i < lineEnd; ++i) {
        if (!isBlank(text[i])) {
            line.fault = "text after the record";
            return line;
        }
    }
    return line;
}

}  // namespace appimage
