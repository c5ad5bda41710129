// EncodePng's files read back by libpng, which checks every chunk's CRC and the zlib
// checksum: they hold the DDS decode's pixels byte for byte, under every row filter.
#include "texture/png_encoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <random>
#include <string>

#include "tests/support/dds_writer.h"
#include "texture/dds_decoder.h"

namespace zenthor {
namespace {

struct ReadPng {
    std::string error;  // empty when read
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

ReadPng ReadWithLibpng(const std::vector<std::uint8_t>& png) {
    ReadPng read;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) {
        read.error = image.message;
        return read;
    }
    if (image.format != PNG_FORMAT_RGBA) {
        png_image_free(&image);
        read.error = "not 8-bit RGBA";
        return read;
    }
    read.width = image.width;
    read.height = image.height;
    read.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, read.pixels.data(), 0, nullptr) == 0) {
        read.error = image.message;
    }
    return read;
}

RgbaImage Opaque(RgbaImage image) {
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
        image.pixels[i] = 255;
    }
    return image;
}

RgbaImage OneColour(std::uint32_t width, std::uint32_t height) {
    RgbaImage image{width, height, {}};
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        image.pixels.insert(image.pixels.end(), {10, 20, 30, 40});
    }
    return image;
}

RgbaImage Noise(std::uint32_t width, std::uint32_t height) {
    std::mt19937 random(3);
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4)};
    for (std::uint8_t& byte : image.pixels) {
        byte = static_cast<std::uint8_t>(random());
    }
    return image;
}

TEST(PngEncoder, WritesTheDecodedPixelsExactlyUnderEveryFilter) {
    const struct {
        const char* name;
        test::DdsFormat format;
        RgbaImage image;
    } cases[] = {
        {"opaque DXT1 1x1", test::kDxt1, Opaque(test::TestImage(1, 1))},
        {"DXT5 with alpha 3x5", test::kDxt5, test::TestImage(3, 5)},
        {"DXT3 5x3", test::kDxt3, test::TestImage(5, 3)},
        {"opaque DXT1 13x9", test::kDxt1, Opaque(test::TestImage(13, 9))},
        {"A8R8G8B8 7x1, clear pixels keep their colour", test::kA8R8G8B8, test::TestImage(7, 1)},
        {"A8R8G8B8 1x7", test::kA8R8G8B8, test::TestImage(1, 7)},
        {"DXT5 301x300, more than one block", test::kDxt5, test::TestImage(301, 300)},
        {"one colour 1000x70: runs over rows and blocks", test::kA8R8G8B8, OneColour(1000, 70)},
        {"noise 200x200: stored blocks", test::kA8R8G8B8, Noise(200, 200)},
    };
    for (const auto& c : cases) {
        const DdsDecodeResult decoded = DecodeDds(test::MakeDds(c.format, c.image));
        ASSERT_EQ(decoded.status, DdsStatus::Decoded) << c.name;
        for (int filter = 0; filter <= 4; ++filter) {
            SCOPED_TRACE(std::string(c.name) + ", filter " + std::to_string(filter));
            const ReadPng read = ReadWithLibpng(EncodePng(decoded.image, static_cast<PngRowFilter>(filter)));
            ASSERT_EQ(read.error, "");
            EXPECT_EQ(read.width, c.image.width);
            EXPECT_EQ(read.height, c.image.height);
            EXPECT_EQ(read.pixels, decoded.image.pixels);
        }
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
