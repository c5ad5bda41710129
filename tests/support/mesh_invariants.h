// What must hold of a host mesh the mesh builder made, however hostile the model mesh it
// came from: run by the mesh builder's tests and on every input of the geometry fuzz target.
#pragma once

#include <string>
#include <vector>

class Mesh;

namespace zenthor::test {

// Each broken invariant as one line; empty when the mesh is sound: every face and texture
// face names only existing vertices, no face repeats a corner, each face has its texture
// face, and where a face's corners are finite its normals are finite and the bounding box
// holds them.
std::vector<std::string> MeshInvariantFaults(const Mesh& mesh);

}  // namespace zenthor::test
