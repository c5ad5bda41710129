// Face and corner normals with smoothing groups.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/mesh.h"

namespace {

// Sum of the unit face normals of one vertex's faces that carry one mask.
struct GroupSum {
    DWORD mask;
    Point3 sum;
};

}  // namespace

Point3 Mesh::FaceNormal(const Face& face) const {
    const std::size_t vertCount = m_verts.size();
    if (face.v[0] >= vertCount || face.v[1] >= vertCount || face.v[2] >= vertCount) {
        return Point3();
    }
    const Point3& a = m_verts[face.v[0]];
    return CrossProd(m_verts[face.v[1]] - a, m_verts[face.v[2]] - a).Normalize();
}

// With one mask on every face, a corner's normal depends on its vertex alone
// (the normalised sum of the vertex's face normals, which is also the vertex
// normal) or, for mask 0, on its face alone. One pass adds each face normal
// to its vertices, in face and corner order as the general case sums them,
// so every result is the same to the bit.
bool Mesh::BuildOneMaskNormals() {
    const std::size_t vertCount = m_verts.size();
    const DWORD mask = m_faces.empty() ? 0 : m_faces.front().smGroup;
    std::vector<Point3> sums(vertCount);
    std::vector<std::uint8_t> used(vertCount, 0);
    for (const Face& face : m_faces) {
        if (face.smGroup != mask) {
            return false;
        }
        if (face.v[0] >= vertCount || face.v[1] >= vertCount || face.v[2] >= vertCount) {
            continue;
        }
        const Point3 n = FaceNormal(face);
        for (DWORD v : face.v) {
            sums[v] += n;
            used[v] = 1;
        }
    }
    for (std::size_t v = 0; v < vertCount; ++v) {
        if (used[v] != 0) {
            m_normals[v] = sums[v].Normalize();
        }
    }
    m_normalsBuilt = mask == 0 ? BuiltNormals::AllFaceted : BuiltNormals::OneSmoothMask;
    return true;
}

void Mesh::buildNormals() {
    DropNormals();
    if (BuildOneMaskNormals()) {
        return;
    }
    const std::size_t faceCount = m_faces.size();
    const std::size_t vertCount = m_verts.size();
    m_faceNormals.assign(faceCount, Point3());
    m_cornerNormals.assign(faceCount * 3, Point3());

    // Face normals, and the number of corners at each vertex (legal faces only).
    std::vector<std::size_t> firstCorner(vertCount + 1, 0);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const Face& face = m_faces[f];
        if (face.v[0] >= vertCount || face.v[1] >= vertCount || face.v[2] >= vertCount) {
            continue;
        }
        m_faceNormals[f] = FaceNormal(face);
        for (DWORD v : face.v) {
            ++firstCorner[v + 1];
        }
    }
    for (std::size_t v = 0; v < vertCount; ++v) {
        firstCorner[v + 1] += firstCorner[v];
    }

    // Corners (3 * face + corner) grouped by vertex.
    std::vector<std::size_t> corners(firstCorner[vertCount]);
    std::vector<std::size_t> fill(firstCorner.begin(), firstCorner.end() - 1);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const Face& face = m_faces[f];
        if (face.v[0] >= vertCount || face.v[1] >= vertCount || face.v[2] >= vertCount) {
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            corners[fill[face.v[c]]++] = 3 * f + c;
        }
    }

    // Per vertex: one sum per distinct mask, then each corner adds the sums
    // of the masks it shares a bit with. A mesh has few masks per vertex.
    std::vector<GroupSum> groups;
    for (std::size_t v = 0; v < vertCount; ++v) {
        const std::size_t begin = firstCorner[v];
        const std::size_t end = firstCorner[v + 1];
        if (begin == end) {
            continue;  // unused vertex: keeps its normal
        }
        groups.clear();
        Point3 all;
        for (std::size_t k = begin; k < end; ++k) {
            const std::size_t f = corners[k] / 3;
            const Point3& n = m_faceNormals[f];
            all += n;
            const DWORD mask = m_faces[f].smGroup;
            if (mask == 0) {
                continue;
            }
            GroupSum* group = nullptr;
            for (GroupSum& g : groups) {
                if (g.mask == mask) {
                    group = &g;
                    break;
                }
            }
            if (group == nullptr) {
                groups.push_back({mask, Point3()});
                group = &groups.back();
            }
            group->sum += n;
        }
        for (std::size_t k = begin; k < end; ++k) {
            const std::size_t f = corners[k] / 3;
            const DWORD mask = m_faces[f].smGroup;
            if (mask == 0) {
                m_cornerNormals[corners[k]] = m_faceNormals[f];
                continue;
            }
            Point3 sum;
            for (const GroupSum& g : groups) {
                if ((g.mask & mask) != 0) {
                    sum += g.sum;
                }
            }
            m_cornerNormals[corners[k]] = sum.Normalize();
        }
        m_normals[v] = all.Normalize();
    }
    m_normalsBuilt = BuiltNormals::PerCorner;
}

Point3 Mesh::getFaceNormal(int face) const {
    const Face& f = m_faces[Checked(face, m_faces.size())];
    switch (m_normalsBuilt) {
        case BuiltNormals::None:
            return Point3();
        case BuiltNormals::PerCorner:
            return m_faceNormals[std::size_t(face)];
        default:
            return FaceNormal(f);
    }
}

Point3 Mesh::getCornerNormal(int face, int corner) const {
    const Face& f = m_faces[Checked(face, m_faces.size())];
    Checked(corner, 3);
    switch (m_normalsBuilt) {
        case BuiltNormals::None:
            return Point3();
        case BuiltNormals::PerCorner:
            return m_cornerNormals[3 * std::size_t(face) + std::size_t(corner)];
        case BuiltNormals::AllFaceted:
            return FaceNormal(f);
        case BuiltNormals::OneSmoothMask:
            break;
    }
    const std::size_t vertCount = m_verts.size();
    const bool legal = f.v[0] < vertCount && f.v[1] < vertCount && f.v[2] < vertCount;
    return legal ? m_normals[f.v[corner]] : Point3();
}
