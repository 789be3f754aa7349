// The application processor: what it runs, its bootloader and the flash an
// application update writes.
// A facet of VirtualUnit (virtual_unit.h), which a test scripts whole.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "zyra_sim/frame.h"

namespace zyra_sim {

// What the application processor runs.
enum class Firmware {
    Application,
    Bootloader,
    BootAgent  // a flashed boot agent: it takes an image like the bootloader
};

class FlashFacet
{
public:
    // What the processor runs now.
    Firmware running() const;
    void setRunning(Firmware firmware);
    void setBootloaderVersion(uint8_t major, uint8_t minor, uint8_t debug);
    // Bytes in BL_GET_CONFIG's answer (default 3): more are zero padding; a
    // bootloader answering fewer than 3 is an old one that needs the agent.
    void setBootloaderConfigLength(size_t length);
    void setVersionRecordAddress(uint32_t address);
    // Time between START_UPGRADE's answer and ERASE_DONE (default 1000 ms).
    void setEraseTimeMs(int64_t ms);
    // Flash content; bytes never written since the last erase read 0xFF.
    Bytes flash(uint32_t address, size_t count) const;
    // Every run of bytes written since the last erase, by start address.
    std::map<uint32_t, Bytes> flashSegments() const;
    size_t flashBytesWritten() const;
    int eraseCount() const;
    int dataBlocksWritten() const;
    // FW_DATA_BLOCKs refused (no erase before, wrong word count, over 64 bytes).
    int rejectedDataBlocks() const;
    // Bytes written twice without an erase between.
    size_t flashOverwrites() const;
    // What a restart would start, if the flash holds a completed image.
    std::optional<Firmware> flashedImage() const;

protected:
    FlashFacet() = default;
    ~FlashFacet() = default;
};

}  // namespace zyra_sim
