// The key-value store and the radio register space. A request too short to
// hold its id or address is ignored, as a unit ignores a garbled command.
#include <algorithm>

#include "command_codes.h"
#include "storage_file.h"
#include "unit_impl.h"

namespace zyra_sim {

namespace {

// 5670 MHz switched off: the pair ((f - 4910) / 5, (f - 4890) / 5).
Bytes defaultFrequencyChannels()
{
    Bytes channels(28, 0x00);
    channels[0] = (5670 - 4910) / 5;
    channels[1] = (5670 - 4890) / 5;
    return channels;
}

constexpr uint8_t regionUsaIndoors = 4;
constexpr uint8_t unicast = 4;

}  // namespace

void VirtualUnit::Impl::installSideDefaults()
{
    const bool tx = side != 2;
    for (uint16_t id : {7, 8, 118, 127}) {
        storage.erase(id);
        storageDefaults.erase(id);
    }
    storageDefaults[1] = {regionUsaIndoors};
    storageDefaults[tx ? 8 : 7] = {unicast};
    storageDefaults[tx ? 127 : 118] = defaultFrequencyChannels();
    for (uint16_t id : {1, 7, 8, 118, 127}) {
        auto value = storageDefaults.find(id);
        if (value != storageDefaults.end())
            storage[id] = value->second;
    }
}

void VirtualUnit::Impl::keepStorageIn(const std::string &path)
{
    storageFile = path;
    for (const auto &[id, value] : readStorageFile(path))
        storage[id] = value;
}

void VirtualUnit::Impl::saveStorage() const
{
    if (!storageFile.empty())
        writeStorageFile(storageFile, storage);
}

void VirtualUnit::Impl::storageSet(const ReceivedFrame &frame)
{
    if (frame.payload.size() < 2)
        return;
    storage[le16(frame.payload, 0)] = Bytes(frame.payload.begin() + 2, frame.payload.end());
    saveStorage();
    send(frame.code, {});
}

void VirtualUnit::Impl::storageGet(const ReceivedFrame &frame)
{
    if (frame.payload.size() < 2)
        return;
    auto value = storage.find(le16(frame.payload, 0));
    send(frame.code, value == storage.end() ? Bytes{} : value->second);
}

void VirtualUnit::Impl::storageRestore(const ReceivedFrame &frame)
{
    ++restoreCount;
    storage = storageDefaults;
    saveStorage();
    send(frame.code, {});
}

void VirtualUnit::Impl::storagePrint(const ReceivedFrame &frame)
{
    ++printCount;
    send(frame.code, {});
}

// The answer holds as many bytes as the count field asks for; the request's
// zero padding carries nothing, and its length byte wraps at 256.
void VirtualUnit::Impl::macRegRead(const ReceivedFrame &frame)
{
    if (frame.payload.size() < 4)
        return;
    Bytes value(le16(frame.payload, 2));
    uint16_t address = le16(frame.payload, 0);
    for (size_t i = 0; i < value.size(); ++i)
        value[i] = registers[(address + i) & 0xFFFF];
    send(frame.code, value);
}

void VirtualUnit::Impl::macRegWrite(const ReceivedFrame &frame)
{
    if (frame.payload.size() < 4)
        return;
    uint16_t address = le16(frame.payload, 0);
    size_t count = std::min<size_t>(le16(frame.payload, 2), frame.payload.size() - 4);
    for (size_t i = 0; i < count; ++i)
        registers[(address + i) & 0xFFFF] = frame.payload[4 + i];
    send(frame.code, {});
}

}  // namespace zyra_sim
