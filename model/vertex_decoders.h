// The two on-disk vertex formats and their decoders. Decoders read records in place from
// the file's bytes (unaligned, little-endian) and never change axes, winding or the sense
// of v; that belongs to the mesh builder.
#pragma once

#include <cstdint>

#include "model/model_mesh.h"

namespace zenthor {

constexpr std::uint64_t kStaticVertexSize = 32;
constexpr std::uint64_t kSkinnedVertexSize = 32;
constexpr std::uint64_t kBoneRecordSize = 60;

// StaticVertex, 32 bytes: position 3 x f32 | packed auxVector1 | packed normal |
// packed auxVector2 | uv 2 x f32. Floats are passed on bit for bit.
struct StaticVertex {
    float position[3];
    std::uint32_t auxVector1;
    std::uint32_t normal;
    std::uint32_t auxVector2;
    float uv[2];
};
static_assert(sizeof(StaticVertex) == kStaticVertexSize);

// SkinnedVertex, 32 bytes: position 3 x i16 (x 3/8192) | 2 unread bytes | packed normal |
// packed auxVector1 | packed auxVector2 | 4 bone indices | 4 bone weights (as floats,
// unscaled) | uv 2 x i16 (x 1/2048). Note the normal is the third word here, the fourth in
// a StaticVertex.
struct SkinnedVertex {
    std::int16_t position[3];
    std::uint8_t unread[2];
    std::uint32_t normal;
    std::uint32_t auxVector1;
    std::uint32_t auxVector2;
    std::uint8_t boneIndices[4];
    std::uint8_t boneWeights[4];
    std::int16_t uv[2];
};
static_assert(sizeof(SkinnedVertex) == kSkinnedVertexSize);

// A packed vector carries x in bits 16-23, y in bits 8-15 and z in bits 0-7; the top byte
// is ignored. Each component is the unsigned byte times the float nearest 1/255, so the
// result lies in [0, 1]: stored files rely on this unsigned decoding.
void DecodePackedVector(std::uint32_t packed, float out[3]);

// Decode `count` records starting at `records` (count * 32 bytes) into `out`, writing
// every field of every element.
void DecodeStaticVertices(const std::uint8_t* records, std::uint32_t count, ModelVertex* out);
void DecodeSkinnedVertices(const std::uint8_t* records, std::uint32_t count, ModelVertex* out);

}  // namespace zenthor
