#include "texture/png_file.h"

#include <libdeflate.h>

#include <array>
#include <cstring>
#include <string_view>

namespace zenthor {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type and CRC
constexpr std::size_t kHeaderBytes = 13;

std::uint8_t* PutU32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
    return out + 4;
}

// Frames the `size` bytes of data already at chunk + 8 as a chunk of `type`; returns its end.
std::uint8_t* FrameChunk(std::uint8_t* chunk, std::string_view type, std::size_t size) {
    PutU32(chunk, static_cast<std::uint32_t>(size));
    std::memcpy(chunk + 4, type.data(), 4);
    return PutU32(chunk + 8 + size, libdeflate_crc32(0, chunk + 4, 4 + size));
}

}  // namespace

std::vector<std::uint8_t> PngFile(std::uint32_t width, std::uint32_t height, std::size_t streamSize,
                                  const std::function<void(std::span<std::uint8_t>)>& writeStream) {
    std::vector<std::uint8_t> png(kSignature.size() + 3 * kChunkFrame + kHeaderBytes + streamSize);
    std::uint8_t* out = std::copy(kSignature.begin(), kSignature.end(), png.data());

    std::uint8_t* header = PutU32(PutU32(out + 8, width), height);
    header[0] = 8;  // bits per channel
    header[1] = 6;  // RGBA; compression, filter set and interlacing stay 0
    out = FrameChunk(out, "IHDR", kHeaderBytes);

    writeStream({out + 8, streamSize});
    out = FrameChunk(out, "IDAT", streamSize);
    FrameChunk(out, "IEND", 0);
    return png;
}

}  // namespace zenthor
