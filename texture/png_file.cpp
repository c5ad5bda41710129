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

// Writes a chunk of `type` holding `data` at `out`; returns its end.
std::uint8_t* PutChunk(std::uint8_t* out, std::string_view type, std::span<const std::uint8_t> data) {
    out = PutU32(out, static_cast<std::uint32_t>(data.size()));
    std::uint8_t* const typeAndData = out;
    std::memcpy(out, type.data(), 4);
    if (!data.empty()) {
        std::memcpy(out + 4, data.data(), data.size());
    }
    out += 4 + data.size();
    return PutU32(out, libdeflate_crc32(0, typeAndData, 4 + data.size()));
}

}  // namespace

std::vector<std::uint8_t> PngFile(std::uint32_t width, std::uint32_t height,
                                  std::span<const std::uint8_t> zlibStream) {
    std::array<std::uint8_t, kHeaderBytes> header{};
    PutU32(PutU32(header.data(), width), height);
    header[8] = 8;  // bits per channel
    header[9] = 6;  // RGBA; compression, filter set and interlacing stay 0
    std::vector<std::uint8_t> png(kSignature.size() + 3 * kChunkFrame + kHeaderBytes + zlibStream.size());
    std::uint8_t* out = std::copy(kSignature.begin(), kSignature.end(), png.data());
    out = PutChunk(out, "IHDR", header);
    out = PutChunk(out, "IDAT", zlibStream);
    PutChunk(out, "IEND", {});
    return png;
}

}  // namespace zenthor
