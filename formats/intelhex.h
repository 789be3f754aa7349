// Intel HEX text, read with full validation and written. Free of Qt and
// libusb so that the library, the program's package checks, the stand-in
// flasher and the sample package generator share one reader and one writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace intelhex {

enum RecordType : uint8_t {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    StartSegmentAddress = 3,
    ExtendedLinearAddress = 4,
    StartLinearAddress = 5,
};

// The value of one hexadecimal digit (either case), or -1 for any other
// character.
inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The data of one data record at its absolute address.
struct Chunk {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
};

struct ParseResult {
    std::string error;  // empty when the text is a complete, valid file
    std::vector<Chunk> chunks;
    bool ok() const { return error.empty(); }
};

// Every record must be well formed with a correct checksum and one of the
// types 0 to 5, and the text must hold an end-of-file record; blank lines
// and line ends CR LF or LF are allowed, anything after the end-of-file
// record is ignored. (The radio application image has stricter rules of
// its own: app_image.h.)
ParseResult parse(std::string_view text);

// The segments as data records of at most `recordBytes` bytes, extended
// linear address records where the upper 16 bits change (records never
// cross a 64 KiB boundary), an optional start linear address record and the
// end-of-file record; lines end with LF.
struct WriteOptions {
    unsigned recordBytes = 16;
    bool withStartAddress = false;
    uint32_t startAddress = 0;
};
std::string write(const std::vector<Chunk> &segments, const WriteOptions &options = {});

// Appends one record of `count` data bytes with its checksum and a LF.
void appendRecord(std::string *out, uint8_t type, uint16_t offset, const uint8_t *data, size_t count);

}  // namespace intelhex
