#include "zyra_sim/facet_storage.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

void StorageFacet::setStorageDefault(uint16_t id, const Bytes &value)
{
    ModelLock lock = lockModel();
    modelOf(this).storageDefaults[id] = value;
    modelOf(this).storage[id] = value;
}

void StorageFacet::setStorage(uint16_t id, const Bytes &value)
{
    ModelLock lock = lockModel();
    modelOf(this).storage[id] = value;
}

void StorageFacet::eraseStorage(uint16_t id)
{
    ModelLock lock = lockModel();
    modelOf(this).storage.erase(id);
    modelOf(this).storageDefaults.erase(id);
}

std::optional<Bytes> StorageFacet::storage(uint16_t id) const
{
    ModelLock lock = lockModel();
    auto value = modelOf(this).storage.find(id);
    if (value == modelOf(this).storage.end())
        return std::nullopt;
    return value->second;
}

int StorageFacet::restoreCount() const
{
    return lockedRead(modelOf(this), &Impl::restoreCount);
}

int StorageFacet::printCount() const
{
    return lockedRead(modelOf(this), &Impl::printCount);
}

void StorageFacet::writeRegisters(uint16_t address, const Bytes &data)
{
    ModelLock lock = lockModel();
    for (size_t i = 0; i < data.size(); ++i)
        modelOf(this).registers[(address + i) & 0xFFFF] = data[i];
}

Bytes StorageFacet::readRegisters(uint16_t address, size_t count) const
{
    ModelLock lock = lockModel();
    Bytes data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = modelOf(this).registers[(address + i) & 0xFFFF];
    return data;
}

}  // namespace zyra_sim
