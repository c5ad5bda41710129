// EncodePng: an RGBA image as the bytes of a PNG file (8-bit RGBA, not premultiplied), so
// that the caller can write it atomically or embed it.
#pragma once

#include <cstdint>
#include <vector>

#include "texture/png_row_filters.h"
#include "texture/rgba_image.h"

namespace zenthor {

// Every row filtered with `filter` (Up: on decoded textures as small as any and the
// cheapest with Sub, see bench/texture_bench), then coded by RunLengthDeflater.
// Empty when the image is empty, larger than kMaxTextureSize either way, or its pixel
// count does not match its size, or when memory runs out.
std::vector<std::uint8_t> EncodePng(const RgbaImage& image, PngRowFilter filter = PngRowFilter::Up);

}  // namespace zenthor
