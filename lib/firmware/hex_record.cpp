#include "firmware/hex_record.h"

#include <cstring>

#include "internal/commands.h"
#include "internal/hex_digit.h"

extern "C" {
// Template of every FW_DATA_BLOCK frame; only the upper address bytes ever
// change, and they persist from one image to the next by design.
uint8_t vx_zyra_app_buf[64] = {};
}

namespace zyra {
namespace {

constexpr size_t MAX_RECORD_DATA = 64;
constexpr size_t BLOCK_HEADER = 8;
// Word count, address and 64 data bytes in a frame: 77 bytes.
constexpr size_t MAX_FRAME = FRAME_OVERHEAD + BLOCK_HEADER + MAX_RECORD_DATA;
constexpr size_t UPPER_ADDRESS_LOW = 10;
constexpr size_t UPPER_ADDRESS_HIGH = 11;

enum RecordType : uint8_t {
    DATA = 0x00,
    END_OF_FILE = 0x01,
    START_SEGMENT_ADDRESS = 0x03,
    EXTENDED_LINEAR_ADDRESS = 0x04,
    START_LINEAR_ADDRESS = 0x05
};

// Reads hex byte pairs strictly in order, stopping at the bound or at the
// first character that is not a hex digit; never looks further ahead.
class HexReader {
public:
    HexReader(const char *pos, const char *end) : pos_(pos), end_(end) {}

    bool byte(uint8_t &value)
    {
        int high = digit();
        if (high < 0)
            return false;
        int low = digit();
        if (low < 0)
            return false;
        value = static_cast<uint8_t>(high << 4 | low);
        return true;
    }

private:
    int digit()
    {
        if (end_ != nullptr && pos_ >= end_)
            return -1;
        return hex_digit(*pos_++);
    }

    const char *pos_;
    const char *end_;
};

struct Record {
    uint8_t count = 0;
    uint8_t address_high = 0;
    uint8_t address_low = 0;
    uint8_t type = 0;
    uint8_t data[MAX_RECORD_DATA] = {};
};

bool parse_record(const char *line, const char *end, Record &record)
{
    if (line == nullptr || (end != nullptr && line >= end) || line[0] != ':')
        return false;
    HexReader reader(line + 1, end);
    if (!reader.byte(record.count) || record.count > MAX_RECORD_DATA)
        return false;
    if (!reader.byte(record.address_high) || !reader.byte(record.address_low) || !reader.byte(record.type))
        return false;
    for (size_t i = 0; i < record.count; ++i) {
        if (!reader.byte(record.data[i]))
            return false;
    }
    uint8_t checksum;
    return reader.byte(checksum);
}

void put_le32(uint8_t *out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

int send_data_block(vx_zyra_t *h, const Record &record)
{
    uint8_t frame[MAX_FRAME] = {};
    std::memcpy(frame, vx_zyra_app_buf, sizeof vx_zyra_app_buf);
    uint8_t *block = frame + FRAME_PAYLOAD;
    frame[FRAME_CODE] = cmd::FW_DATA_BLOCK;
    frame[FRAME_LENGTH] = static_cast<uint8_t>(BLOCK_HEADER + record.count);
    put_le32(block, (record.count + 3u) / 4u);
    block[4] = record.address_low;
    block[5] = record.address_high;
    std::memcpy(block + BLOCK_HEADER, record.data, record.count);
    return vx_zyra_send_cmd(h->devh, frame, DEFAULT_TIMEOUT_S);
}

}  // namespace

int send_hex_record(vx_zyra_t *h, const char *line, const char *end)
{
    Record record;
    if (!parse_record(line, end, record))
        return HEX_MALFORMED;
    switch (record.type) {
    case DATA:
        return send_data_block(h, record);
    case END_OF_FILE:
        return HEX_END_OF_FILE;
    case START_SEGMENT_ADDRESS:
        return HEX_START_SEGMENT_ADDRESS;
    case EXTENDED_LINEAR_ADDRESS:
        if (record.count != 2)
            return HEX_MALFORMED;
        vx_zyra_app_buf[UPPER_ADDRESS_HIGH] = record.data[0];
        vx_zyra_app_buf[UPPER_ADDRESS_LOW] = record.data[1];
        return HEX_EXTENDED_LINEAR_ADDRESS;
    case START_LINEAR_ADDRESS:
        return HEX_START_LINEAR_ADDRESS;
    default:
        // Segment addressing (type 02) cannot reach the unit's flash.
        return HEX_MALFORMED;
    }
}

}  // namespace zyra

extern "C" VX_ZYRA_EXPORT int vx_zyra_send_app_line(vx_zyra_t *h, const char *line)
{
    return zyra::send_hex_record(h, line, nullptr);
}
