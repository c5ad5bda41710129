// Turns one model mesh into the host mesh of a triangle object.
#pragma once

#include <cstdint>

class Mesh;

namespace zenthor {

struct ModelMesh;

// Fills hostMesh from mesh: axes exchanged, corners reversed, v flipped, the file's
// normals set, every face in smoothing group meshIndex + 1; then welds coincident
// vertices and cleans the mesh with the host's own operations. Always returns 1.
int BuildMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex);

// How many of the first `storedFaces` triangles name only vertices of the mesh.
std::uint32_t CountTrianglesInRange(const ModelMesh& mesh, std::uint32_t storedFaces);

// The three stages of BuildMesh, in its order.
// Sizes the host arrays and writes every triangle whose corners name vertices of the mesh.
void FillHostMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex);
// Merges vertices closer than 0.001, every vertex taking part.
void WeldHostMesh(Mesh& hostMesh, std::uint32_t vertexCount);
// Removes degenerate and illegal faces, then builds normals and the bounding box.
void CleanUpHostMesh(Mesh& hostMesh);

}  // namespace zenthor
