#include "host/mesh_delta.h"

#include "host/vertex_weld.h"

MeshDelta::MeshDelta(const Mesh& mesh) : m_vertexCount(mesh.getNumVerts()) {}

BOOL MeshDelta::WeldByThreshold(Mesh& mesh, BitArray vset, float threshold) {
    m_vertexCount = mesh.getNumVerts();
    const std::size_t joined = zenthor::WeldVertices(mesh.verts(), vset, threshold, m_remap);
    if (joined == 0) {
        m_remap.clear();
        return FALSE;
    }
    return TRUE;
}

void MeshDelta::Apply(Mesh& mesh) {
    if (!m_remap.empty() && mesh.getNumVerts() == m_vertexCount) {
        mesh.WeldVertices(m_remap);
    }
    m_remap.clear();
    m_vertexCount = mesh.getNumVerts();
}
