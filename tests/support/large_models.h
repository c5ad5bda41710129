// Large generated models for the benchmarks and the output-digest test, written with the
// tests' format writer.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/model_writer.h"

namespace zenthor::test {

// Mesh entries hold at most this many vertices, since indices are 16-bit.
inline constexpr std::uint32_t kMaxEntryVertices = 65535;

// `triangles` unwelded triangles on a grid, each vertex with its own position (no two
// alike), normal and uv, in entries of at most kMaxEntryVertices vertices. The vertex count
// of each entry (as many indices) goes to `entryVertices` when given.
Bytes UnweldedTriangleModel(std::uint32_t triangles, std::vector<std::uint32_t>* entryVertices = nullptr);

// `triangles` triangles of a terrain grid whose triangles each carry their own copies of
// shared corners (about six copies of every position), so a weld has real work.
Bytes TerrainModel(std::uint32_t triangles);

}  // namespace zenthor::test
