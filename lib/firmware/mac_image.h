// Layout of a radio (MAC) firmware image: TX region, RX region, daemon,
// each behind a 33-byte header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyra {

constexpr size_t MAC_HEADER_SIZE = 33;

struct MacRegion {
    size_t header_offset;
    size_t data_offset;
    size_t data_length;
};

struct MacImage {
    MacRegion tx;
    MacRegion rx;
    MacRegion daemon;
};

// Locates the three regions. False when a header or the TX or RX data
// would lie outside the image's length bytes.
bool parse_mac_image(const uint8_t *data, uint32_t length, MacImage &image);

}  // namespace zyra
