#include "texture/png_encoder.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace zenthor {
namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbaImage& image) {
    std::vector<std::uint8_t> png;
    if (image.width == 0 || image.height == 0 || image.width > kMaxTextureSize || image.height > kMaxTextureSize ||
        image.pixels.size() != std::size_t{image.width} * image.height * 4) {
        return png;
    }
    const int width = static_cast<int>(image.width);
    if (stbi_write_png_to_func(Append, &png, width, static_cast<int>(image.height), 4, image.pixels.data(),
                               width * 4) == 0) {
        png.clear();
    }
    return png;
}

}  // namespace zenthor
