// Writes DDS texture files for tests, fuzz seeds and benchmarks: a header describing one
// pixel format, then an RGBA image stored in it (DXT blocks made by libsquish).
//
//   Bytes file = MakeDds(kDxt5, TestImage(9, 7));
//   PutU32(file, dds_field::kWidth, 0xFFFFFFFF);  // a header that lies
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <squish.h>

#include "tests/support/model_writer.h"
#include "texture/rgba_image.h"

namespace zenthor::test {

// Offsets of header fields from the start of the file.
namespace dds_field {
inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::size_t kFlags = 8;
inline constexpr std::size_t kHeight = 12;
inline constexpr std::size_t kWidth = 16;
inline constexpr std::size_t kDepth = 24;
inline constexpr std::size_t kPixelFormatSize = 76;
inline constexpr std::size_t kPixelFlags = 80;
inline constexpr std::size_t kFourCc = 84;
inline constexpr std::size_t kBitCount = 88;
inline constexpr std::size_t kRedMask = 92;
inline constexpr std::size_t kCaps2 = 112;
inline constexpr std::size_t kPixels = 128;  // or the extended header
}  // namespace dds_field

constexpr std::uint32_t FourCc(std::string_view code) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < code.size(); ++i) {
        value |= std::uint32_t(std::uint8_t(code[i])) << (8 * i);
    }
    return value;
}

// A pixel format as the header states it, and libsquish's flag for DXT blocks.
struct DdsFormat {
    std::uint32_t flags;  // alpha pixels 0x1, alpha 0x2, FourCC 0x4, RGB 0x40, luminance 0x20000
    std::uint32_t fourCc;
    std::uint32_t bitCount;
    std::uint32_t masks[4];  // red (or luminance), green, blue, alpha
    int squishFlags;         // 0 for uncompressed pixels
};

inline constexpr DdsFormat kDxt1{0x4, FourCc("DXT1"), 0, {}, squish::kDxt1};
inline constexpr DdsFormat kDxt3{0x4, FourCc("DXT3"), 0, {}, squish::kDxt3};
inline constexpr DdsFormat kDxt5{0x4, FourCc("DXT5"), 0, {}, squish::kDxt5};
inline constexpr DdsFormat kA8R8G8B8{0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0};
inline constexpr DdsFormat kX8R8G8B8{0x40, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, 0};
inline constexpr DdsFormat kA8B8G8R8{0x41, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0};
inline constexpr DdsFormat kX8B8G8R8{0x40, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0}, 0};
inline constexpr DdsFormat kR8G8B8{0x40, 0, 24, {0xFF0000, 0xFF00, 0xFF, 0}, 0};
inline constexpr DdsFormat kR5G6B5{0x40, 0, 16, {0xF800, 0x7E0, 0x1F, 0}, 0};
inline constexpr DdsFormat kA1R5G5B5{0x41, 0, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}, 0};
inline constexpr DdsFormat kL8{0x20000, 0, 8, {0xFF, 0, 0, 0}, 0};
inline constexpr DdsFormat kA8L8{0x20001, 0, 16, {0xFF, 0, 0, 0xFF00}, 0};
inline constexpr DdsFormat kA8{0x2, 0, 8, {0, 0, 0, 0xFF}, 0};

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// The 128 bytes before the pixels.
Bytes DdsHeader(const DdsFormat& format, std::uint32_t width, std::uint32_t height);
// The 20-byte extended header that follows a header whose FourCC is "DX10".
Bytes Dx10Header(std::uint32_t format, std::uint32_t dimension = 3, std::uint32_t miscFlags = 0,
                 std::uint32_t arraySize = 1);
// A whole file: header and `image` in `format`. Each channel is rounded to the format's
// bits; luminance is taken from red.
Bytes MakeDds(const DdsFormat& format, const RgbaImage& image);

// An image that DXT blocks keep almost exactly: one colour per 4x4 block, brightened by a
// small ramp inside it, with distinct red, green and blue; alpha varies by block, 0
// included, with colour under it.
RgbaImage TestImage(std::uint32_t width, std::uint32_t height);

}  // namespace zenthor::test
