// The chunks of an 8-bit RGBA PNG file around a zlib stream of filtered rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zenthor {

// The signature, IHDR (8-bit RGBA, not interlaced), one IDAT of `streamSize` bytes that
// `writeStream` fills in place, and IEND, each chunk with its CRC. The stream must be
// shorter than a chunk's limit (2^31 bytes).
std::vector<std::uint8_t> PngFile(std::uint32_t width, std::uint32_t height, std::size_t streamSize,
                                  const std::function<void(std::span<std::uint8_t>)>& writeStream);

}  // namespace zenthor
