#include "model/vertex_decoders.h"

#include <bit>
#include <cstring>

namespace zenthor {
namespace {

// Single-precision constants of the format, given by their bit patterns.
const float kUnitByte = std::bit_cast<float>(0x3B808081u);         // nearest float to 1/255
const float kSkinnedPosition = std::bit_cast<float>(0x39C00000u);  // 3/8192
const float kSkinnedUv = std::bit_cast<float>(0x3A000000u);        // 1/2048

}  // namespace

void DecodePackedVector(std::uint32_t packed, float out[3]) {
    out[0] = static_cast<float>((packed >> 16) & 0xFFu) * kUnitByte;
    out[1] = static_cast<float>((packed >> 8) & 0xFFu) * kUnitByte;
    out[2] = static_cast<float>(packed & 0xFFu) * kUnitByte;
}

void DecodeStaticVertices(const std::uint8_t* records, std::uint32_t count, ModelVertex* out) {
    for (std::uint32_t i = 0; i < count; ++i) {
        StaticVertex in;
        std::memcpy(&in, records + i * kStaticVertexSize, sizeof in);
        ModelVertex& v = out[i];
        std::memcpy(v.position, in.position, sizeof v.position);
        DecodePackedVector(in.normal, v.normal);
        DecodePackedVector(in.auxVector1, v.auxVector1);
        DecodePackedVector(in.auxVector2, v.auxVector2);
        std::memset(v.boneIndices, 0, sizeof v.boneIndices);
        std::memset(v.boneWeights, 0, sizeof v.boneWeights);
        std::memcpy(v.uv, in.uv, sizeof v.uv);
    }
}

void DecodeSkinnedVertices(const std::uint8_t* records, std::uint32_t count, ModelVertex* out) {
    for (std::uint32_t i = 0; i < count; ++i) {
        SkinnedVertex in;
        std::memcpy(&in, records + i * kSkinnedVertexSize, sizeof in);
        ModelVertex& v = out[i];
        for (int k = 0; k < 3; ++k) {
            v.position[k] = static_cast<float>(in.position[k]) * kSkinnedPosition;
        }
        DecodePackedVector(in.normal, v.normal);
        DecodePackedVector(in.auxVector1, v.auxVector1);
        DecodePackedVector(in.auxVector2, v.auxVector2);
        for (int k = 0; k < 4; ++k) {
            v.boneIndices[k] = in.boneIndices[k];
            v.boneWeights[k] = static_cast<float>(in.boneWeights[k]);
        }
        v.uv[0] = static_cast<float>(in.uv[0]) * kSkinnedUv;
        v.uv[1] = static_cast<float>(in.uv[1]) * kSkinnedUv;
    }
}

}  // namespace zenthor
