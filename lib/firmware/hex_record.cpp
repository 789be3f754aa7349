#include "firmware/hex_record.h"

#include <cstring>

#include "intelhex.h"
#include "internal/commands.h"

extern "C" {
// Template of every FW_DATA_BLOCK frame; only the upper address bytes ever
// change, and they persist from one image to the next by design.
uint8_t vx_zyra_app_buf[64] = {};
}

namespace zyra {
namespace {

constexpr size_t BLOCK_HEADER = 8;
// Word count, address and 64 data bytes in a frame: 77 bytes.
constexpr size_t MAX_FRAME = FRAME_OVERHEAD + BLOCK_HEADER + appimage::maxDataBytes;
constexpr size_t UPPER_ADDRESS_LOW = 10;
constexpr size_t UPPER_ADDRESS_HIGH = 11;

void put_le32(uint8_t *out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

int send_data_block(vx_zyra_t *h, const appimage::Record &record)
{
    uint8_t frame[MAX_FRAME] = {};
    std::memcpy(frame, vx_zyra_app_buf, sizeof vx_zyra_app_buf);
    uint8_t *block = frame + FRAME_PAYLOAD;
    frame[FRAME_CODE] = cmd::FW_DATA_BLOCK;
    frame[FRAME_LENGTH] = static_cast<uint8_t>(BLOCK_HEADER + record.count);
    put_le32(block, (record.count + 3u) / 4u);
    block[4] = static_cast<uint8_t>(record.address);
    block[5] = static_cast<uint8_t>(record.address >> 8);
    std::memcpy(block + BLOCK_HEADER, record.data, record.count);
    return vx_zyra_send_cmd(h->devh, frame, DEFAULT_TIMEOUT_S);
}

}  // namespace

int send_hex_record(vx_zyra_t *h, const appimage::Record &record)
{
    switch (record.type) {
    case intelhex::Data:
        return send_data_block(h, record);
    case intelhex::EndOfFile:
        return HEX_END_OF_FILE;
    case intelhex::StartSegmentAddress:
        return HEX_START_SEGMENT_ADDRESS;
    case intelhex::ExtendedLinearAddress:
        vx_zyra_app_buf[UPPER_ADDRESS_HIGH] = record.data[0];
        vx_zyra_app_buf[UPPER_ADDRESS_LOW] = record.data[1];
        return HEX_EXTENDED_LINEAR_ADDRESS;
    case intelhex::StartLinearAddress:
        return HEX_START_LINEAR_ADDRESS;
    default:
        // The reader refuses segment addressing (type 02), which cannot
        // reach the unit's flash, and unknown types.
        return HEX_MALFORMED;
    }
}

}  // namespace zyra

// The checksum is not verified and the text after the record is not read:
// callers hand over one record at a time from texts of their own.
extern "C" VX_ZYRA_EXPORT int vx_zyra_send_app_line(vx_zyra_t *h, const char *line)
{
    appimage::Record record;
    if (appimage::readRecord(line, nullptr, record).fault != nullptr)
        return zyra::HEX_MALFORMED;
    return zyra::send_hex_record(h, record);
}
