// The chunks of an 8-bit RGBA PNG file around a zlib stream of filtered rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zenthor {

// The signature, IHDR (8-bit RGBA, not interlaced), `zlibStream` as one IDAT, and IEND,
// each chunk with its CRC. The stream must be shorter than a chunk's limit (2^31 bytes).
std::vector<std::uint8_t> PngFile(std::uint32_t width, std::uint32_t height,
                                  std::span<const std::uint8_t> zlibStream);

}  // namespace zenthor
