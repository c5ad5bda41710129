#include "tests/support/mesh_invariants.h"

#include <cmath>

#include "host/mesh.h"

namespace zenthor::test {
namespace {

bool Finite(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool Inside(const Box3& box, const Point3& p) {
    return p.x >= box.pmin.x && p.y >= box.pmin.y && p.z >= box.pmin.z && p.x <= box.pmax.x && p.y <= box.pmax.y &&
           p.z <= box.pmax.z;
}

}  // namespace

std::vector<std::string> MeshInvariantFaults(const Mesh& mesh) {
    std::vector<std::string> faults;
    const auto fault = [&faults](int face, const char* what) {
        faults.push_back("face " + std::to_string(face) + ": " + what);
    };
    const auto vertices = static_cast<DWORD>(mesh.getNumVerts());
    const auto textureVertices = static_cast<DWORD>(mesh.getNumTVerts());
    if (mesh.getNumTVFaces() != mesh.getNumFaces()) {
        faults.push_back("texture faces out of step with faces");
    }
    for (int f = 0; f < mesh.getNumFaces() && faults.size() < 10; ++f) {
        const Face& face = mesh.face(f);
        if (face.v[0] >= vertices || face.v[1] >= vertices || face.v[2] >= vertices) {
            fault(f, "a corner names no vertex");
            continue;
        }
        if (face.v[0] == face.v[1] || face.v[1] == face.v[2] || face.v[0] == face.v[2]) {
            fault(f, "a corner repeats");
        }
        if (f < mesh.getNumTVFaces()) {
            const TVFace& tv = mesh.tvFace(f);
            if (tv.t[0] >= textureVertices || tv.t[1] >= textureVertices || tv.t[2] >= textureVertices) {
                fault(f, "a texture corner names no texture vertex");
            }
        }
        bool finite = true;
        for (DWORD v : face.v) finite = finite && Finite(mesh.getVert(static_cast<int>(v)));
        if (!finite) {
            continue;
        }
        for (int corner = 0; corner < 3; ++corner) {
            if (mesh.normalsBuilt() && !Finite(mesh.getCornerNormal(f, corner))) {
                fault(f, "a corner normal is not finite");
            }
            if (!Inside(mesh.getBoundingBox(), mesh.getVert(static_cast<int>(face.v[corner])))) {
                fault(f, "a corner lies outside the bounding box");
            }
        }
    }
    return faults;
}

}  // namespace zenthor::test
