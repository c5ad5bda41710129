#include "host/mesh.h"

#include <algorithm>
#include <stdexcept>

bool Face::getEdgeVis(int edge) const {
    return edge >= 0 && edge < 3 && (flags & (kFaceEdgeVisible0 << edge)) != 0;
}

void Mesh::ThrowOutOfRange() {
    throw std::out_of_range("Mesh element index");
}

// Sizes one array by the rules in the header: n entries, new ones zero.
template <class T>
static void Size(std::vector<T>& array, int n, BOOL keep, std::size_t kept) {
    if (keep == FALSE) {
        array.assign(std::size_t(n), T());
        return;
    }
    if (kept < array.size()) {
        std::fill(array.begin() + std::ptrdiff_t(kept), array.end(), T());
    }
    array.resize(std::size_t(n), T());
}

void Mesh::DropNormals() {
    m_normalsBuilt = BuiltNormals::None;
    m_faceNormals.clear();
    m_faceNormals.shrink_to_fit();
    m_cornerNormals.clear();
    m_cornerNormals.shrink_to_fit();
}

BOOL Mesh::setNumVerts(int n, BOOL keep, BOOL) {
    if (n < 0) {
        return FALSE;
    }
    Size(m_verts, n, keep, m_verts.size());
    Size(m_normals, n, keep, m_normals.size());
    DropNormals();
    return TRUE;
}

BOOL Mesh::setNumFaces(int n, BOOL keep, BOOL) {
    if (n < 0) {
        return FALSE;
    }
    Size(m_faces, n, keep, m_faces.size());
    DropNormals();
    return TRUE;
}

BOOL Mesh::setNumTVerts(int n, BOOL keep) {
    if (n < 0) {
        return FALSE;
    }
    Size(m_tVerts, n, keep, m_tVerts.size());
    return TRUE;
}

BOOL Mesh::setNumTVFaces(int n, BOOL keep, int oldCt) {
    if (n < 0) {
        return FALSE;
    }
    const std::size_t kept = oldCt > 0 ? std::size_t(oldCt) : m_tvFaces.size();
    Size(m_tvFaces, n, keep, kept);
    return TRUE;
}

// Keeps the faces for which keep(face) is true, in order; texture faces
// follow while they are in step with the faces.
template <class Keep>
BOOL Mesh::RemoveFacesWhere(Keep keep) {
    const bool inStep = m_tvFaces.size() == m_faces.size();
    std::size_t out = 0;
    for (std::size_t f = 0; f < m_faces.size(); ++f) {
        if (!keep(m_faces[f])) {
            continue;
        }
        m_faces[out] = m_faces[f];
        if (inStep) {
            m_tvFaces[out] = m_tvFaces[f];
        }
        ++out;
    }
    if (out == m_faces.size()) {
        return FALSE;
    }
    m_faces.resize(out);
    if (inStep) {
        m_tvFaces.resize(out);
    }
    DropNormals();
    return TRUE;
}

BOOL Mesh::RemoveDegenerateFaces() {
    return RemoveFacesWhere(
        [](const Face& f) { return f.v[0] != f.v[1] && f.v[1] != f.v[2] && f.v[0] != f.v[2]; });
}

BOOL Mesh::RemoveIllegalFaces() {
    const DWORD count = DWORD(m_verts.size());
    return RemoveFacesWhere(
        [count](const Face& f) { return f.v[0] < count && f.v[1] < count && f.v[2] < count; });
}

void Mesh::buildBoundingBox() {
    m_bbox.Init();
    for (const Point3& p : m_verts) {
        if (p.IsFinite()) {
            m_bbox += p;
        }
    }
}

void Mesh::InvalidateEdgeList() {}

// Copies the entries of array whose remap entry is their own index into an
// array of exactly that size, so that the memory of the welded-away entries
// goes back to the heap.
template <class T>
static void KeepRepresentatives(std::vector<T>& array, const std::vector<DWORD>& remap, std::size_t kept) {
    std::vector<T> compact;
    compact.reserve(kept);
    for (std::size_t i = 0; i < array.size(); ++i) {
        if (remap[i] == i) {
            compact.push_back(array[i]);
        }
    }
    array.swap(compact);
}

void Mesh::WeldVertices(std::vector<DWORD>& remap) {
    const std::size_t oldCount = m_verts.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < oldCount; ++i) {
        kept += remap[i] == i ? 1 : 0;
    }
    KeepRepresentatives(m_verts, remap, kept);
    KeepRepresentatives(m_normals, remap, kept);
    // In place, remap[i] becomes the new number of vertex i, or of the vertex
    // it merges into (always an earlier one, already renumbered).
    DWORD next = 0;
    for (std::size_t i = 0; i < oldCount; ++i) {
        remap[i] = remap[i] == i ? next++ : remap[remap[i]];
    }
    const DWORD removed = DWORD(oldCount - kept);
    for (Face& face : m_faces) {
        for (DWORD& v : face.v) {
            v = v < oldCount ? remap[v] : v - removed;
        }
    }
    DropNormals();
}
