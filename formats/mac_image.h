// Layout of a radio (MAC) firmware image: TX region, RX region, daemon,
// each behind a 33-byte header that gives the region's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyra {

constexpr size_t MAC_HEADER_SIZE = 33;
// Offset in a region header of the region's length, 32-bit little-endian.
constexpr size_t MAC_LENGTH_FIELD = 25;

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

// The first part of an image that runs past its end.
enum MacImageFault {
    MAC_IMAGE_SOUND,
    MAC_TX_HEADER_CUT,
    MAC_TX_REGION_CUT,  // the TX data or the RX header
    MAC_RX_REGION_CUT   // the RX data or the daemon header
};

// Locates the three regions in length bytes of data.
MacImageFault locate_mac_regions(const uint8_t *data, uint64_t length, MacImage &image);

// Locates the three regions. False when a header or the TX or RX data
// would lie outside the image's length bytes.
bool parse_mac_image(const uint8_t *data, uint32_t length, MacImage &image);

}  // namespace zyra
