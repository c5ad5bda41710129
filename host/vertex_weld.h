// The vertex weld behind MeshDelta::WeldByThreshold (internal to the host library).
//
// What it does, for a threshold t:
// - Vertices are visited in index order. A visited vertex that is selected
//   and has finite coordinates joins the nearest representative found so far
//   that lies within distance t of it (Euclidean, computed in double; a tie
//   goes to the lower index); if there is none, it becomes a representative
//   itself. Every representative therefore has a lower index than the
//   vertices that join it, and representatives lie more than t apart.
// - The merged vertex keeps its representative's position exactly: nothing
//   is averaged, so no surviving vertex moves.
// - A chain a~b, b~c with a and c more than t apart does not collapse into
//   one vertex: with a < b < c, b joins a and c stays apart (it is farther
//   than t from a). Every vertex ends within t of the position it takes.
// - Vertices that are not selected, or have a NaN or infinite coordinate,
//   never join and are never joined. -0 and +0 are the same coordinate.
// - t = 0 joins exactly equal positions only; a negative or NaN t joins
//   nothing; t = +inf joins every selected finite vertex into the first.
//
// Cost: expected O(n). Representatives are kept in a hash of grid cells of
// side kCellSize * t; a vertex probes only the cells that its t-ball touches
// (at most two per axis), and a cell holds a bounded number of
// representatives since they lie more than t apart. No pair of vertices is
// ever compared outside those cells.
#pragma once

#include <cstddef>
#include <vector>

#include "host/bit_array.h"
#include "host/point3.h"
#include "platform/windows_api.h"

namespace zenthor {

// Fills remap with one entry per vertex: the index of the representative that
// the vertex joins, or its own index. Returns the number of vertices that join
// another one.
std::size_t WeldVertices(const std::vector<Point3>& verts, const BitArray& selected, float threshold,
                         std::vector<DWORD>& remap);

}  // namespace zenthor
