// Writes DDS texture files for tests, fuzz seeds and benchmarks: a header describing one
// pixel format, then an RGBA image stored in it (DXT blocks made by libsquish).
//
//   Bytes file = MakeDds(DdsFormat::Dxt5, TestImage(9, 7));
//   PutU32(file, dds_field::kWidth, 0xFFFFFFFF);  // a header that lies
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

enum class DdsFormat { Dxt1, Dxt3, Dxt5, A8R8G8B8, X8R8G8B8, A8B8G8R8, X8B8G8R8, R8G8B8, R5G6B5, A1R5G5B5, L8, A8L8, A8 };

std::uint32_t FourCc(std::string_view code);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// The 128 bytes before the pixels.
Bytes DdsHeader(DdsFormat format, std::uint32_t width, std::uint32_t height);
// The 20-byte extended header that follows a header whose FourCC is "DX10".
Bytes Dx10Header(std::uint32_t format, std::uint32_t dimension = 3, std::uint32_t miscFlags = 0,
                 std::uint32_t arraySize = 1);
// A whole file: header and `image` in `format`. Each channel is rounded to the format's
// bits; luminance is taken from red.
Bytes MakeDds(DdsFormat format, const RgbaImage& image);

// An image that DXT blocks keep almost exactly: one colour per 4x4 block, brightened by a
// small ramp inside it, with distinct red, green and blue; alpha varies by block, 0
// included, with colour under it.
RgbaImage TestImage(std::uint32_t width, std::uint32_t height);

}  // namespace zenthor::test
