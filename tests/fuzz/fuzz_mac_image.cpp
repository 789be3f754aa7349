// vx_zyra_update_mac_array on arbitrary images, against a unit that pulls
// the daemon and the region at fuzzed block sizes. The image check must
// accept exactly the images whose headers and TX/RX data lie inside them
// (lengths summed without 32-bit wrap-around), send nothing for the others,
// and every block sent must be the right slice of the image: nothing read
// past the image or the region.
// Input: side (mod 3), two block sizes the unit asks for in turn, the image.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command_frame.h"
#include "fuzz_check.h"
#include "usb_standin.h"
#include "vx_zyra.h"

namespace {

using zyra_fuzz::Bytes;

constexpr size_t kHeader = 33;
constexpr size_t kMaxBlock = 64;
constexpr int64_t kLongestWaitMs = 20000;

uint64_t le32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint64_t>(p[3]) << 24;
}

struct Slice {
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct Layout {
    bool valid = false;
    Slice txHeader, tx, rxHeader, rx, daemonHeader, daemon;
};

Layout layoutOf(const uint8_t *image, uint64_t size)
{
    Layout l;
    if (size < 29)
        return l;
    const uint64_t x = le32(image + 25);
    if (size < 66 + x)
        return l;
    const uint64_t y = le32(image + 33 + x + 25);
    if (size < 99 + x + y)
        return l;
    l.valid = true;
    l.txHeader = {0, kHeader};
    l.tx = {kHeader, x};
    l.rxHeader = {kHeader + x, kHeader};
    l.rx = {66 + x, y};
    l.daemonHeader = {66 + x + y, kHeader};
    l.daemon = {99 + x + y, size - 99 - x - y};
    return l;
}

void queueRecord(uint8_t code, const Bytes &payload)
{
    zyra_fuzz::InRead read;
    read.block = {0x00,
                  0x00,
                  wire::RECORD_PREFIX_0,
                  wire::RECORD_PREFIX_1,
                  wire::RECORD_TYPE,
                  0x00,
                  0x00,
                  code,
                  0x00,
                  static_cast<uint8_t>(payload.size())};
    read.block.insert(read.block.end(), payload.begin(), payload.end());
    read.block.push_back(0x00);
    zyra_fuzz::queueIn(read);
}

// The unit's side of the pull: the blocks it will be sent, and whether the
// update gets through the region (it then fails waiting for a request that
// never comes, before any restart).
struct Pull {
    std::vector<Slice> blocks;
    std::string failure;
    int code = 0;
};

class Unit
{
public:
    Unit(const uint8_t sizes[2]) : sizes_{sizes[0], sizes[1]} {}

    // Queues the requests for a region; false when a request for nothing
    // stops the pull.
    bool pullRegion(const Slice &region, Pull &pull, bool lastRegion)
    {
        uint64_t sent = 0;
        while (sent < region.length) {
            const uint8_t asked = sizes_[turn_++ % 2];
            const uint64_t block = std::min<uint64_t>({asked, kMaxBlock, region.length - sent});
            if (lastRegion && sent + block == region.length)
                return true;  // the last request is left out
            queueRecord(wire::DATA_BYTE, {asked, 0x00});
            if (block == 0)
                return false;
            pull.blocks.push_back({region.offset + sent, block});
            sent += block;
        }
        return true;
    }

private:
    uint8_t sizes_[2];
    size_t turn_ = 0;
};

Pull scriptPull(const Layout &l, uint8_t side, const uint8_t sizes[2])
{
    Pull pull;
    Unit unit(sizes);
    queueRecord(wire::BOOT_LOADER_STARTED, {});
    queueRecord(wire::DATA_BYTE, {kHeader, 0x00});
    pull.blocks.push_back(l.daemonHeader);
    pull.failure = "Failed to receive DATA_BYTE command";
    pull.code = 3;
    if (!unit.pullRegion(l.daemon, pull, false))
        return pull;
    const Slice &region = side == VX_ZYRA_RX ? l.rx : l.tx;
    if (side != VX_ZYRA_RX && side != VX_ZYRA_TX) {
        queueRecord(wire::BOOT_LOADER_READY, {});
        pull.failure = "Firmware image corrupted";
        pull.code = 4;
        return pull;
    }
    if (region.length == 0) {
        pull.failure = "Failed to receive BOOT_LOADER_READY command";
        return pull;
    }
    queueRecord(wire::BOOT_LOADER_READY, {});
    unit.pullRegion(region, pull, true);
    return pull;
}

Bytes startFrame(const uint8_t *image, const Slice &header)
{
    Bytes payload = {0x01, 0x00};
    payload.insert(payload.end(), image + header.offset, image + header.offset + 27);
    return zyra_fuzz::commandFrame(wire::UPDATE_MAC_START, payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t side = data[0] % 3;
    const uint8_t *sizes = data + 1;
    const size_t imageSize = size - 3;
    // Exactly the image: a read past it is caught.
    std::unique_ptr<uint8_t[]> image(new uint8_t[imageSize == 0 ? 1 : imageSize]);
    std::memcpy(image.get(), data + 3, imageSize);

    zyra_fuzz::resetUsb(kLongestWaitMs);
    const Layout layout = layoutOf(image.get(), imageSize);
    Pull pull;
    if (layout.valid)
        pull = scriptPull(layout, side, sizes);

    vx_zyra_t h{};
    h.devh = zyra_fuzz::fakeHandle();
    h.side = side;
    const int result = vx_zyra_update_mac_array(&h, image.get(), static_cast<uint32_t>(imageSize), nullptr, nullptr);
    const auto &out = zyra_fuzz::outTransfers();

    ZYRA_FUZZ_CHECK(result == 1, "the scripted unit never lets the update reach its restart");
    if (!layout.valid) {
        ZYRA_FUZZ_CHECK(h.error == 1 && std::strcmp(h.error_msg, "Firmware image corrupted") == 0,
                        "an image whose regions do not fit is corrupted, code 1");
        ZYRA_FUZZ_CHECK(out.empty(), "nothing is sent for a corrupted image");
        return 0;
    }
    ZYRA_FUZZ_CHECK(h.error == pull.code && pull.failure == h.error_msg,
                    "the update fails where the unit stopped pulling");
    ZYRA_FUZZ_CHECK(out.size() == 1 + pull.blocks.size(), "one transfer per block the unit asked for");
    ZYRA_FUZZ_CHECK(out[0] == startFrame(image.get(), side == VX_ZYRA_RX ? layout.rxHeader : layout.txHeader),
                    "UPDATE_MAC_START carries 01 00 and the side's header bytes 0-26");
    for (size_t i = 0; i < pull.blocks.size(); ++i) {
        const Slice &b = pull.blocks[i];
        const Bytes expected(image.get() + b.offset, image.get() + b.offset + b.length);
        ZYRA_FUZZ_CHECK(out[1 + i] == expected, "each block is the next slice of the region asked for");
    }
    return 0;
}
