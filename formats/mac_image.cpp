#include "mac_image.h"

namespace zyra {
namespace {

uint32_t read_le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// The region whose header starts at offset, if header and data fit in
// length bytes. 64-bit sums: a forged length field must not wrap around.
bool locate_region(const uint8_t *data, uint64_t length, uint64_t offset, MacRegion &region)
{
    uint64_t data_offset = offset + MAC_HEADER_SIZE;
    if (data_offset > length)
        return false;
    uint64_t data_length = read_le32(data + offset + MAC_LENGTH_FIELD);
    if (data_offset + data_length > length)
        return false;
    region = {static_cast<size_t>(offset), static_cast<size_t>(data_offset), static_cast<size_t>(data_length)};
    return true;
}

}  // namespace

MacImageFault locate_mac_regions(const uint8_t *data, uint64_t length, MacImage &image)
{
    if (data == nullptr || length < MAC_HEADER_SIZE)
        return MAC_TX_HEADER_CUT;
    if (!locate_region(data, length, 0, image.tx))
        return MAC_TX_REGION_CUT;
    if (!locate_region(data, length, image.tx.data_offset + image.tx.data_length, image.rx))
        return image.tx.data_offset + image.tx.data_length + MAC_HEADER_SIZE > length ? MAC_TX_REGION_CUT
                                                                                      : MAC_RX_REGION_CUT;
    uint64_t daemon_header = image.rx.data_offset + image.rx.data_length;
    if (daemon_header + MAC_HEADER_SIZE > length)
        return MAC_RX_REGION_CUT;
    // The daemon's own header is not read: its data runs to the image's end.
    image.daemon = {static_cast<size_t>(daemon_header), static_cast<size_t>(daemon_header + MAC_HEADER_SIZE),
                    static_cast<size_t>(length - daemon_header - MAC_HEADER_SIZE)};
    return MAC_IMAGE_SOUND;
}

bool parse_mac_image(const uint8_t *data, uint32_t length, MacImage &image)
{
    return locate_mac_regions(data, length, image) == MAC_IMAGE_SOUND;
}

}  // namespace zyra
