#include "storage_file.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "intelhex.h"

namespace zyra_sim {

namespace {

constexpr std::streamsize maxFileBytes = 1 << 20;
// A STORAGE_SET frame carries at most 255 payload bytes, 2 of them the id.
constexpr size_t maxValueBytes = 253;

std::optional<Bytes> hexBytes(const std::string &text)
{
    if (text.size() % 2 != 0 || text.size() / 2 > maxValueBytes)
        return std::nullopt;
    Bytes bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = intelhex::hexDigit(text[i]);
        const int low = intelhex::hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::pair<uint16_t, Bytes>> cell(const std::string &line)
{
    std::istringstream words(line);
    std::string id;
    std::string value;
    std::string extra;
    words >> id >> value >> extra;
    const auto idBytes = hexBytes(id);
    const auto valueBytes = hexBytes(value);
    if (id.size() != 4 || !idBytes || !valueBytes || !extra.empty())
        return std::nullopt;
    return std::make_pair(static_cast<uint16_t>((*idBytes)[0] << 8 | (*idBytes)[1]), *valueBytes);
}

}  // namespace

std::map<uint16_t, Bytes> readStorageFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(maxFileBytes + 1, '\0');
    file.read(text.data(), maxFileBytes + 1);
    if (file.gcount() > maxFileBytes)
        return {};
    text.resize(static_cast<size_t>(file.gcount()));
    std::map<uint16_t, Bytes> cells;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (auto parsed = cell(line))
            cells[parsed->first] = parsed->second;
    }
    return cells;
}

void writeStorageFile(const std::string &path, const std::map<uint16_t, Bytes> &cells)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        for (const auto &[id, value] : cells) {
            char digits[8];
            std::snprintf(digits, sizeof digits, "%04x", id);
            file << digits << ' ';
            for (uint8_t byte : value) {
                std::snprintf(digits, sizeof digits, "%02x", byte);
                file << digits;
            }
            file << '\n';
        }
        if (!file.flush())
            return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

}  // namespace zyra_sim
