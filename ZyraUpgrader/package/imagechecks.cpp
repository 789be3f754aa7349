#include "imagechecks.h"

#include "app_image.h"
#include "intelhex.h"
#include "mac_image.h"

#include <cstdint>

namespace imagechecks {

namespace {

// Flash of the atxmega128a4u: application and boot sections.
const uint64_t xmegaFlashBytes = 0x20000;

}  // namespace

std::string radioApplicationFault(std::string_view image)
{
    return appimage::fault(image);
}

std::string macFault(std::string_view image)
{
    zyra::MacImage regions;
    switch (zyra::locate_mac_regions(reinterpret_cast<const uint8_t *>(image.data()), image.size(), regions)) {
    case zyra::MAC_IMAGE_SOUND:
        return {};
    case zyra::MAC_TX_HEADER_CUT:
        return "shorter than the TX region header";
    case zyra::MAC_TX_REGION_CUT:
        return "TX region runs past the end of the image";
    case zyra::MAC_RX_REGION_CUT:
        return "RX region or daemon header runs past the end of the image";
    }
    return {};
}

std::string xmegaFault(std::string_view image)
{
    const intelhex::ParseResult parsed = intelhex::parse(image);
    if (!parsed.ok())
        return parsed.error;
    for (const intelhex::Chunk &chunk : parsed.chunks) {
        if (uint64_t{chunk.address} + chunk.bytes.size() > xmegaFlashBytes)
            return "data beyond the XMEGA flash";
    }
    return {};
}

}  // namespace imagechecks
