#include "scene/mesh_builder.h"

#include "host/bit_array.h"
#include "host/mesh.h"
#include "host/mesh_delta.h"
#include "model/zenthor_model.h"
#include "scene/axis_conversion.h"

namespace zenthor {
namespace {

// Vertices lying closer than this, in the model's own unit, become one.
constexpr float kWeldThreshold = 0.001f;

bool TriangleInRange(const ModelMesh& mesh, std::uint32_t first) {
    return mesh.indices[first] < mesh.vertexCount && mesh.indices[first + 1] < mesh.vertexCount &&
           mesh.indices[first + 2] < mesh.vertexCount;
}

void WriteVertex(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t k) {
    const ModelVertex& vertex = mesh.vertices[k];
    hostMesh.setVert(static_cast<int>(k), ModelToHostAxes(vertex.position));
    hostMesh.setTVert(static_cast<int>(k), ModelToHostTextureVertex(vertex.uv));
}

}  // namespace

// The file does not promise that every index names a vertex of its mesh. A triangle
// that points outside the vertex array is left out, and the rest of the mesh imports.
std::uint32_t CountTrianglesInRange(const ModelMesh& mesh, std::uint32_t storedFaces) {
    std::uint32_t inRange = 0;
    for (std::uint32_t f = 0; f < storedFaces; ++f) {
        inRange += TriangleInRange(mesh, 3 * f) ? 1 : 0;
    }
    return inRange;
}

void WeldHostMesh(Mesh& hostMesh, std::uint32_t vertexCount) {
    MeshDelta delta(hostMesh);
    BitArray everyVertex;
    everyVertex.SetSize(static_cast<int>(vertexCount), 0);
    everyVertex.SetAll();
    delta.WeldByThreshold(hostMesh, everyVertex, kWeldThreshold);
    delta.Apply(hostMesh);
}

void CleanUpHostMesh(Mesh& hostMesh) {
    hostMesh.RemoveDegenerateFaces();
    hostMesh.RemoveIllegalFaces();
    hostMesh.buildNormals();
    hostMesh.buildBoundingBox();
    hostMesh.InvalidateEdgeList();
}

void FillHostMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex) {
    const std::uint32_t storedFaces = mesh.indexCount / 3;
    const std::uint32_t faceCount = CountTrianglesInRange(mesh, storedFaces);
    const int vertexCount = static_cast<int>(mesh.vertexCount);

    hostMesh.setNumTVerts(vertexCount, FALSE);
    hostMesh.setNumTVFaces(static_cast<int>(faceCount), FALSE, 0);
    hostMesh.setNumVerts(vertexCount, FALSE, TRUE);
    hostMesh.setNumFaces(static_cast<int>(faceCount), FALSE, TRUE);

    const DWORD smoothingGroup = meshIndex + 1;  // the number, not a bit per mesh
    int face = 0;
    for (std::uint32_t f = 0; f < storedFaces; ++f) {
        if (!TriangleInRange(mesh, 3 * f)) {
            continue;
        }
        const int a = mesh.indices[3 * f];
        const int b = mesh.indices[3 * f + 1];
        const int c = mesh.indices[3 * f + 2];
        for (int corner : {c, b, a}) {
            WriteVertex(mesh, hostMesh, static_cast<std::uint32_t>(corner));
        }
        hostMesh.tvFace(face).setTVerts(c, b, a);
        for (int corner : {c, b, a}) {
            hostMesh.setNormal(corner, ModelToHostAxes(mesh.vertices[corner].normal).Normalize());
        }
        Face& hostFace = hostMesh.face(face);
        hostFace.setVerts(c, b, a);
        hostFace.setEdgeVisFlags(1, 1, 1);
        hostFace.setSmGroup(smoothingGroup);
        ++face;
    }
}

int BuildMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex) {
    FillHostMesh(mesh, hostMesh, meshIndex);
    WeldHostMesh(hostMesh, mesh.vertexCount);
    CleanUpHostMesh(hostMesh);
    return 1;
}

}  // namespace zenthor
