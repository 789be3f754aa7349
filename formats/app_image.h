// The radio application image: Intel HEX text whose records the library
// sends to the unit, one command frame per data record. The library's image
// stage and the program's pre-flight check read it with this one reader so
// that what passes the check is what the library sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace appimage {

// A data record fills one command frame.
constexpr size_t maxDataBytes = 64;

struct Record {
    uint8_t count = 0;
    uint16_t address = 0;
    uint8_t type = 0;
    uint8_t data[maxDataBytes] = {};
};

struct RecordRead {
    const char *fault = nullptr;  // null: well formed, of an accepted type and length
    bool checksumMatches = false;
};

// Reads the record at pos: ':', then count, address, type, data and
// checksum as hex digit pairs. Types 0, 1, 3, 4 and 5 are accepted, each
// non-data type with its own length. No character at or after end is read
// (end may be null: then the record's own length and its first non-hex
// character bound the read), so a record cut short is malformed, never
// overread.
RecordRead readRecord(const char *pos, const char *end, Record &record);

struct LineRead {
    const char *fault = nullptr;           // null: the line holds one sound record
    size_t next = std::string_view::npos;  // offset after the line feed; npos when none ends the line
};

// Reads the line from offset at of the text: one record with a matching
// checksum, then only blanks (space, tab, CR) before the line feed or the
// end of the text.
LineRead readLine(std::string_view text, size_t at, Record &record);

// What is wrong with the image, or an empty text when its lines are sound
// up to an end-of-file record; the text after that record is not read.
std::string fault(std::string_view image);

}  // namespace appimage
