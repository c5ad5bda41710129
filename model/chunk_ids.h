// The chunk ids that the model and mesh files use. Every other id is stepped over.
#pragma once

#include <cstdint>

namespace zenthor {

// Top level of a file.
constexpr std::uint32_t CHUNK_MESHES = 9;            // a sequence of mesh entries, whatever their ids
constexpr std::uint32_t CHUNK_MESH_REFS = 16;        // u32 count, then lists of mesh file names
constexpr std::uint32_t CHUNK_TEXTURE_ALIASES = 29;  // one string of "key=replacement" entries

// Inside a mesh entry.
constexpr std::uint32_t CHUNK_MESH_HEADER = 1;            // 64 opaque bytes
constexpr std::uint32_t CHUNK_MESH_TEXTURES = 2;          // texture, material and extra name
constexpr std::uint32_t CHUNK_MESH_VERTICES = 3;          // u32 (unused), u32 N, N static vertices
constexpr std::uint32_t CHUNK_MESH_INDICES = 4;           // u32 n, n u16 indices
constexpr std::uint32_t CHUNK_MESH_SKINNED_VERTICES = 5;  // bone data, u32 N, N skinned vertices

}  // namespace zenthor
