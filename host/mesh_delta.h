// A recorded change to a mesh, written by Apply. The stand-in records one
// change: a vertex weld.
#pragma once

#include <vector>

#include "host/bit_array.h"
#include "host/host_api.h"
#include "host/mesh.h"
#include "platform/windows_api.h"

class HOST_API MeshDelta {
public:
    MeshDelta() = default;
    explicit MeshDelta(const Mesh& mesh);

    // Records a weld of the vertices selected in vset (bits past its end count
    // as clear) that lie within threshold of one another; the rules are in
    // host/vertex_weld.h. The mesh itself is not changed until Apply. TRUE
    // when at least one vertex will be merged.
    BOOL WeldByThreshold(Mesh& mesh, BitArray vset, float threshold);

    // Writes the recorded weld: merged vertices (and their normals) leave the
    // vertex array, the rest keep their order, and every face index is sent
    // to its vertex's new number. Texture vertices and texture faces are left
    // alone, so corners that now share a vertex keep their own texture
    // vertices (a texture seam survives the weld). Faces may become
    // degenerate; RemoveDegenerateFaces removes them. Apply is a no-op when
    // nothing is recorded or the mesh's vertex count is not the one the weld
    // was recorded for; afterwards the delta is empty again.
    void Apply(Mesh& mesh);

    // The vertex that each old vertex becomes part of (its own index when it
    // stays alone), as recorded; empty when nothing is recorded.
    const std::vector<DWORD>& VertexRemap() const { return m_remap; }

private:
    int m_vertexCount = 0;
    std::vector<DWORD> m_remap;
};
