// Writes the C++ source of the two boot agents the library carries.
//
//   boot_agent_gen none OUT.cpp                 no agents: empty texts
//   boot_agent_gen generate OUT.cpp             stand-in agents, for tests
//   boot_agent_gen embed TX.hex RX.hex OUT.cpp  the vendor's agent files
//
// The stand-ins have the vendor agents' exact shape: a leading line feed,
// one extended linear address record for 0x0800, the declared number of
// data records from offset 0x5800 upward, a start linear address record,
// the end-of-file record and a final line feed, and exactly the declared
// size. Their first data record holds the stand-in marker (so a build that
// carries them can be told); the rest is a fixed pseudo-random sequence, so
// every build produces the same text.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "intelhex.h"
#include "vx_zyra.h"
#include "zyra_boot_agent_marker.h"

namespace {

constexpr uint16_t UPPER_ADDRESS = 0x0800;
constexpr uint16_t FIRST_ADDRESS = 0x5800;
constexpr size_t MAX_RECORD_DATA = 16;
// Every record line: ':' count(2) address(4) type(2) checksum(2) '\n'.
constexpr size_t RECORD_OVERHEAD = 12;
// Leading line feed, the address record, the start record, the end record.
constexpr size_t FIXED_TEXT = 1 + (RECORD_OVERHEAD + 4) + (RECORD_OVERHEAD + 8) + RECORD_OVERHEAD;

struct AgentShape {
    const char *symbol;
    size_t text_length;  // without the NUL
    size_t data_records;
    uint32_t seed;
};

std::string record(uint8_t type, uint16_t address, const std::vector<uint8_t> &data)
{
    std::string line;
    intelhex::appendRecord(&line, type, address, data.data(), data.size());
    return line;
}

// Data bytes follow from the size: the records are 16 bytes long except the
// last few, which share what is left evenly.
std::string stand_in(const AgentShape &shape)
{
    size_t data_chars = shape.text_length - FIXED_TEXT - shape.data_records * RECORD_OVERHEAD;
    size_t data_bytes = data_chars / 2;
    if (data_chars % 2 != 0 || data_bytes < shape.data_records || data_bytes > shape.data_records * MAX_RECORD_DATA)
        throw std::runtime_error(std::string(shape.symbol) + ": no record layout gives the declared size");
    if (FIRST_ADDRESS + data_bytes > 0x10000)
        throw std::runtime_error(std::string(shape.symbol) + ": data would leave the 64 KiB page");

    std::string text = "\n" + record(intelhex::ExtendedLinearAddress, 0, {UPPER_ADDRESS >> 8, UPPER_ADDRESS & 0xFF});
    uint32_t state = shape.seed;
    size_t address = FIRST_ADDRESS;
    size_t remaining = data_bytes;
    for (size_t left = shape.data_records; left > 0; --left) {
        size_t count = std::min(MAX_RECORD_DATA, (remaining + left - 1) / left);
        std::vector<uint8_t> data(count);
        for (uint8_t &b : data) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(state >> 24);
        }
        if (left == shape.data_records)
            std::copy_n(ZYRA_STAND_IN_AGENT_MARKER, std::min(count, sizeof ZYRA_STAND_IN_AGENT_MARKER - 1),
                        data.begin());
        text += record(intelhex::Data, static_cast<uint16_t>(address), data);
        address += count;
        remaining -= count;
    }
    uint32_t entry = static_cast<uint32_t>(UPPER_ADDRESS) << 16 | FIRST_ADDRESS;
    text += record(intelhex::StartLinearAddress, 0,
                   {static_cast<uint8_t>(entry >> 24), static_cast<uint8_t>(entry >> 16),
                    static_cast<uint8_t>(entry >> 8), static_cast<uint8_t>(entry)});
    text += record(intelhex::EndOfFile, 0, {});
    return text;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text as a string literal, one source line per text line.
std::string literal(const std::string &text)
{
    std::string out = "    \"";
    char octal[5];
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n\"";
            if (i + 1 < text.size())
                out += "\n    \"";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.empty() || text.back() != '\n')
        out += '"';
    return out;
}

// A build without agents carries empty texts of the declared size, which
// the library takes as "no agent".
std::string empty_definition(const AgentShape &shape)
{
    return "const char " + std::string(shape.symbol) + "[" + std::to_string(shape.text_length + 1) + "] = \"\";\n";
}

std::string definition(const AgentShape &shape, const std::string &text)
{
    if (text.size() != shape.text_length)
        throw std::runtime_error(std::string(shape.symbol) + " must be " + std::to_string(shape.text_length) +
                                 " characters, not " + std::to_string(text.size()));
    if (text.find('\0') != std::string::npos)
        throw std::runtime_error(std::string(shape.symbol) + " must not contain a NUL character");
    return "const char " + std::string(shape.symbol) + "[" + std::to_string(shape.text_length + 1) + "] =\n" +
           literal(text) + ";\n";
}

void write_source(const std::string &path, const std::string &origin, const std::string &tx, const std::string &rx)
{
    std::ostringstream out;
    // The header's declarations give the definitions their export.
    out << "// Generated by boot_agent_gen (" << origin << "); do not edit.\n"
        << "#include \"vx_zyra.h\"\n\nextern \"C\" {\n\n"
        << tx << "\n"
        << rx << "\n}  // extern \"C\"\n";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file.flush())
        throw std::runtime_error("cannot write " + path);
}

const AgentShape TX_SHAPE = {"VX_ZYRA_TX_BOOT_AGENT", sizeof VX_ZYRA_TX_BOOT_AGENT - 1, 272, 0x54580001u};
const AgentShape RX_SHAPE = {"VX_ZYRA_RX_BOOT_AGENT", sizeof VX_ZYRA_RX_BOOT_AGENT - 1, 244, 0x52580001u};

}  // namespace

int main(int argc, char **argv)
{
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() == 2 && args[0] == "none") {
            write_source(args[1], "no agents", empty_definition(TX_SHAPE), empty_definition(RX_SHAPE));
        } else if (args.size() == 2 && args[0] == "generate") {
            write_source(args[1], "stand-in agents", definition(TX_SHAPE, stand_in(TX_SHAPE)),
                         definition(RX_SHAPE, stand_in(RX_SHAPE)));
        } else if (args.size() == 4 && args[0] == "embed") {
            write_source(args[3], "embedded agent files", definition(TX_SHAPE, read_file(args[1])),
                         definition(RX_SHAPE, read_file(args[2])));
        } else {
            std::fprintf(stderr,
                         "usage: boot_agent_gen none OUT.cpp | generate OUT.cpp | embed TX.hex RX.hex OUT.cpp\n");
            return 2;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "boot_agent_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
