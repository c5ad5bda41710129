// DecodeDds: the top level of a DDS texture as RGBA pixels. The file's bytes are untrusted:
// every header field is checked against them before anything is allocated, and nothing
// outside them is read.
//
// Decoded: DXT1 (with its 1-bit alpha), DXT3 and DXT5 blocks; uncompressed pixels of 8, 16,
// 24 or 32 bits described by channel masks (A8R8G8B8, X8R8G8B8, A8B8G8R8, X8B8G8R8,
// R8G8B8, R5G6B5, ...), luminance (L8, A8L8) and alpha-only. Colour is kept as stored under
// every alpha value. Mip levels after the top one are ignored.
//
// Unsupported (the file may be sound, this reader does not decode it): cube maps, volume
// textures, texture arrays, every format of the extended (DX10) header, and compressed
// formats other than DXT1/3/5. `reason` names the format or kind in a few words, e.g.
// "cube map", "BC7 (DX10 format 98)", "BC5 (FourCC 'ATI2')".
//
// Malformed: a header that is not a DDS header, that is cut short or whose values
// contradict each other or the file's length; `reason` says what is wrong.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "texture/rgba_image.h"

namespace zenthor {

enum class DdsStatus { Decoded, Unsupported, Malformed };

struct DdsDecodeResult {
    DdsStatus status = DdsStatus::Malformed;
    RgbaImage image;     // set when Decoded
    std::string reason;  // set when not Decoded
};

// Allocates only the decoded image (at most kMaxTextureSize squared, times 4 bytes, for a
// file that holds the matching pixel data); throws std::bad_alloc when that fails.
DdsDecodeResult DecodeDds(std::span<const std::uint8_t> file);

}  // namespace zenthor
