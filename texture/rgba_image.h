// An image as 8-bit RGBA pixels, rows from top to bottom, colour not premultiplied.
#pragma once

#include <cstdint>
#include <vector>

namespace zenthor {

// The largest width or height of a texture that is read or written (what common
// graphics hardware takes); it keeps every size computed from one far below overflow.
inline constexpr std::uint32_t kMaxTextureSize = 16384;

struct RgbaImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes: R, G, B, A
};

}  // namespace zenthor
