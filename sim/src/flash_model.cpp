#include "flash_model.h"

#include <algorithm>
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
    size_t done = 0;
    while (done < data.size()) {
        uint32_t at = address + static_cast<uint32_t>(done);  // the address space wraps, as the unit's bus does
        uint32_t offset = at % pageSize;
        size_t run = std::min<size_t>(pageSize - offset, data.size() - done);
        auto [entry, fresh] = pages_.try_emplace(at / pageSize);
        Page &page = entry->second;
        if (fresh)
            std::memset(page.data, 0xFF, pageSize);
        for (size_t i = 0; i < run; ++i, ++offset) {
            if (page.written[offset])
                ++again;
            else
                ++bytesWritten_;
            page.data[offset] = data[done + i];
            page.written[offset] = true;
        }
        done += run;
    }
    return again;
}

Bytes FlashModel::read(uint32_t address, size_t count) const
{
    Bytes data(count, 0xFF);
    size_t done = 0;
    while (done < count) {
        uint32_t at = address + static_cast<uint32_t>(done);
        uint32_t offset = at % pageSize;
        size_t run = std::min<size_t>(pageSize - offset, count - done);
        auto page = pages_.find(at / pageSize);
        if (page != pages_.end())
            std::memcpy(data.data() + done, page->second.data + offset, run);
        done += run;
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
