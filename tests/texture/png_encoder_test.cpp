#include "texture/png_encoder.h"

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "tests/support/dds_writer.h"

namespace zenthor {
namespace {

TEST(PngEncoder, WritesPixelsThatReadBackExactly) {
    // Clear pixels keep their colour: nothing is premultiplied.
    for (auto [width, height] : {std::pair{1u, 1u}, std::pair{9u, 7u}, std::pair{300u, 2u}}) {
        const RgbaImage image = test::TestImage(width, height);
        const std::vector<std::uint8_t> png = EncodePng(image);
        int readWidth = 0, readHeight = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &readWidth,
                                                &readHeight, &channels, 4);
        ASSERT_NE(pixels, nullptr) << width << "x" << height;
        EXPECT_EQ(readWidth, static_cast<int>(width));
        EXPECT_EQ(readHeight, static_cast<int>(height));
        EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + image.pixels.size()), image.pixels);
        stbi_image_free(pixels);
    }
}

TEST(PngEncoder, WritesNothingForAnInconsistentImage) {
    RgbaImage wrongCount = test::TestImage(4, 4);
    wrongCount.pixels.pop_back();
    const RgbaImage cases[] = {
        RgbaImage{}, RgbaImage{0, 4, {}}, wrongCount,
        RgbaImage{kMaxTextureSize + 1, 1, std::vector<std::uint8_t>((kMaxTextureSize + 1) * 4)}};
    for (const RgbaImage& image : cases) {
        EXPECT_TRUE(EncodePng(image).empty()) << image.width << "x" << image.height;
    }
}

}  // namespace
}  // namespace zenthor
