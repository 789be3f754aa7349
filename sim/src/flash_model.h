// The application processor's flash as the bootloader writes it: sparse,
// 32-bit addressed, erased bytes read 0xFF. Remembers which bytes were
// written since the last erase, so a second write to one is seen.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>

#include "zyra_sim/frame.h"

namespace zyra_sim {

class FlashModel
{
public:
    void erase();
    // Returns how many of the bytes had been written before since the erase.
    size_t write(uint32_t address, const Bytes &data);
    Bytes read(uint32_t address, size_t count) const;
    bool written(uint32_t address) const;
    // Every run of written bytes, by start address.
    std::map<uint32_t, Bytes> segments() const;
    size_t bytesWritten() const { return bytesWritten_; }

private:
    static constexpr uint32_t pageSize = 256;
    struct Page {
        uint8_t data[pageSize];
        std::bitset<pageSize> written;
    };
    std::map<uint32_t, Page> pages_;  // by page number
    size_t bytesWritten_ = 0;
};

}  // namespace zyra_sim
