// Soundness of the image files a package hands to the library and to
// dfu-programmer. Each returns an empty text for a sound image, else what is
// wrong with it.
#pragma once

#include <string>
#include <string_view>

namespace imagechecks {

// Radio application image: Intel HEX whose records the library sends
// (appimage::fault), ending with an end-of-file record.
std::string radioApplicationFault(std::string_view image);

// Radio MAC image: TX, RX and daemon regions, each behind its 33-byte header
// whose bytes 25-28 give the region's length (little-endian).
std::string macFault(std::string_view image);

// XMEGA application image: Intel HEX with all data inside the
// atxmega128a4u's flash.
std::string xmegaFault(std::string_view image);

}  // namespace imagechecks
