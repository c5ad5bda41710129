// Fuzz target: decodes the input as a DDS texture and checks what must hold of any result;
// a small decoded image is also written as PNG and read back, which must give its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Large enough for the sizes that fit the fuzzer's input lengths, small enough to stay fast.
constexpr std::size_t kMaxPngPixels = 64 * 64;

void CheckPngRoundTrip(const zenthor::RgbaImage& image) {
    const std::vector<std::uint8_t> png = zenthor::EncodePng(image);
    Check(!png.empty());
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4);
    Check(pixels != nullptr && width == static_cast<int>(image.width) &&
          height == static_cast<int>(image.height));
    Check(std::memcmp(pixels, image.pixels.data(), image.pixels.size()) == 0);
    stbi_image_free(pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zenthor;
    const DdsDecodeResult result = DecodeDds({data, size});
    if (result.status != DdsStatus::Decoded) {
        Check(!result.reason.empty() && result.image.pixels.empty());
        return 0;
    }
    const RgbaImage& image = result.image;
    Check(result.reason.empty());
    Check(image.width >= 1 && image.width <= kMaxTextureSize && image.height >= 1 &&
          image.height <= kMaxTextureSize);
    Check(image.pixels.size() == std::size_t{image.width} * image.height * 4);
    if (std::size_t{image.width} * image.height <= kMaxPngPixels) {
        CheckPngRoundTrip(image);
    }
    return 0;
}
