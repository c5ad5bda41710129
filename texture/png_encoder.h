// EncodePng: an RGBA image as the bytes of a PNG file (8-bit RGBA, not premultiplied), so
// that the caller can write it atomically or embed it.
#pragma once

#include <cstdint>
#include <vector>

#include "texture/rgba_image.h"

namespace zenthor {

// Empty when the image is empty, larger than kMaxTextureSize either way, or its pixel
// count does not match its size, or when memory runs out.
std::vector<std::uint8_t> EncodePng(const RgbaImage& image);

}  // namespace zenthor
