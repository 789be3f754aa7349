// The unit's storage cells (a key-value store with defaults) and its radio's registers.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <optional>

#include "zyra_sim/frame.h"

namespace zyra_sim {

class StorageFacet
{
public:
    void setStorageDefault(uint16_t id, const Bytes &value);  // also sets the current value
    void setStorage(uint16_t id, const Bytes &value);
    // Removes the cell and its default: the unit answers it with an empty value.
    void eraseStorage(uint16_t id);
    std::optional<Bytes> storage(uint16_t id) const;
    int restoreCount() const;  // STORAGE_RESTORE commands received
    int printCount() const;    // STORAGE_PRINT commands received

    void writeRegisters(uint16_t address, const Bytes &data);
    Bytes readRegisters(uint16_t address, size_t count) const;

protected:
    StorageFacet() = default;
    ~StorageFacet() = default;
};

}  // namespace zyra_sim
