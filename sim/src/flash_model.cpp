#include "flash_model.h"

#include <cstring>

namespace zyra_sim {

void FlashModel::erase()
{
    pages_.clear();
    bytesWritten_ = 0;
}

size_t FlashModel::write(uint32_t address, const Bytes &data)
{
    size_t again = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        uint32_t at = address + static_cast<uint32_t>(i); // the address space wraps, as the unit's bus does
        auto [entry, fresh] = pages_.try_emplace(at / pageSize);
        Page &page = entry->second;
        if (fresh)
            std::memset(page.data, 0xFF, pageSize);
        uint32_t offset = at % pageSize;
        if (page.written[offset])
            ++again;
        else
            ++bytesWritten_;
        page.data[offset] = data[i];
        page.written[offset] = true;
    }
    return again;
}

Bytes FlashModel::read(uint32_t address, size_t count) const
{
    Bytes data(count, 0xFF);
    for (size_t i = 0; i < count; ++i) {
        uint32_t at = address + static_cast<uint32_t>(i);
        auto page = pages_.find(at / pageSize);
        if (page != pages_.end())
            data[i] = page->second.data[at % pageSize];
    }
    return data;
}

bool FlashModel::written(uint32_t address) const
{
    auto page = pages_.find(address / pageSize);
    return page != pages_.end() && page->second.written[address % pageSize];
}

std::map<uint32_t, Bytes> FlashModel::segments() const
{
    std::map<uint32_t, Bytes> runs;
    bool open = false;
    uint32_t start = 0;
    uint32_t expected = 0;
    for (const auto &[number, page] : pages_) {
        for (uint32_t offset = 0; offset < pageSize; ++offset) {
            if (!page.written[offset])
                continue;
            uint32_t at = number * pageSize + offset;
            if (!open || at != expected) {
                start = at;
                open = true;
            }
            runs[start].push_back(page.data[offset]);
            expected = at + 1;
        }
    }
    return runs;
}

}  // namespace zyra_sim
