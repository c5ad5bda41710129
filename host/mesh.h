// The host's editable triangle mesh: vertex, face, texture-vertex, texture-face
// and per-vertex normal arrays, and the clean-up and normal operations that a
// plug-in runs on them.
//
// Sizing: setNumVerts, setNumFaces, setNumTVerts and setNumTVFaces make their
// array hold exactly n entries, written in place afterwards. New entries are
// zero: vertices, texture vertices and normals (0, 0, 0); faces with indices
// (0, 0, 0), smoothing-group mask 0 and flag word 0; texture faces (0, 0, 0).
// With keep FALSE every entry is zero afterwards; with keep TRUE the first
// min(old, n) entries keep their values. A negative n is refused (FALSE, the
// array unchanged). The per-vertex normal array follows the vertex array.
// Resizing drops normals built by buildNormals; the bounding box stays as
// last built until buildBoundingBox runs again.
//
// Element access checks its index: an index outside the array throws
// std::out_of_range, so a caller's fault never reads or writes outside it.
#pragma once

#include <vector>

#include "host/box3.h"
#include "host/host_api.h"
#include "host/point3.h"
#include "platform/windows_api.h"

// Edge-visibility bits of Face::flags: edge i runs from corner i to corner (i + 1) % 3.
constexpr DWORD kFaceEdgeVisible0 = 0x1;
constexpr DWORD kFaceEdgeVisible1 = 0x2;
constexpr DWORD kFaceEdgeVisible2 = 0x4;
constexpr DWORD kFaceEdgeVisibleAll = kFaceEdgeVisible0 | kFaceEdgeVisible1 | kFaceEdgeVisible2;

struct HOST_API Face {
    DWORD v[3] = {0, 0, 0};
    DWORD smGroup = 0;  // smoothing-group mask; 0 = faceted
    DWORD flags = 0;

    void setVerts(int a, int b, int c) {
        v[0] = DWORD(a);
        v[1] = DWORD(b);
        v[2] = DWORD(c);
    }
    // Each argument non-zero makes its edge visible, zero hides it.
    void setEdgeVisFlags(int va, int vb, int vc) {
        flags = (flags & ~kFaceEdgeVisibleAll) | (va != 0 ? kFaceEdgeVisible0 : 0) |
                (vb != 0 ? kFaceEdgeVisible1 : 0) | (vc != 0 ? kFaceEdgeVisible2 : 0);
    }
    bool getEdgeVis(int edge) const;
    void setSmGroup(DWORD mask) { smGroup = mask; }
    DWORD getSmGroup() const { return smGroup; }
};

struct TVFace {
    DWORD t[3] = {0, 0, 0};

    void setTVerts(int a, int b, int c) {
        t[0] = DWORD(a);
        t[1] = DWORD(b);
        t[2] = DWORD(c);
    }
};

class HOST_API Mesh {
public:
    // synchSel is accepted as the host passes it; the stand-in keeps no selection.
    BOOL setNumVerts(int n, BOOL keep = FALSE, BOOL synchSel = TRUE);
    BOOL setNumFaces(int n, BOOL keep = FALSE, BOOL synchSel = TRUE);
    BOOL setNumTVerts(int n, BOOL keep = FALSE);
    // With keep TRUE and oldCt > 0, only the first oldCt entries are kept.
    BOOL setNumTVFaces(int n, BOOL keep = FALSE, int oldCt = 0);

    int getNumVerts() const { return int(m_verts.size()); }
    int getNumFaces() const { return int(m_faces.size()); }
    int getNumTVerts() const { return int(m_tVerts.size()); }
    int getNumTVFaces() const { return int(m_tvFaces.size()); }

    void setVert(int i, const Point3& p) { m_verts[Checked(i, m_verts.size())] = p; }
    const Point3& getVert(int i) const { return m_verts[Checked(i, m_verts.size())]; }
    void setTVert(int i, const Point3& p) { m_tVerts[Checked(i, m_tVerts.size())] = p; }
    const Point3& getTVert(int i) const { return m_tVerts[Checked(i, m_tVerts.size())]; }
    Face& face(int i) { return m_faces[Checked(i, m_faces.size())]; }
    const Face& face(int i) const { return m_faces[Checked(i, m_faces.size())]; }
    TVFace& tvFace(int i) { return m_tvFaces[Checked(i, m_tvFaces.size())]; }
    const TVFace& tvFace(int i) const { return m_tvFaces[Checked(i, m_tvFaces.size())]; }
    // The per-vertex normal array (one entry per vertex).
    void setNormal(int vertex, const Point3& n) { m_normals[Checked(vertex, m_normals.size())] = n; }
    const Point3& getNormal(int vertex) const { return m_normals[Checked(vertex, m_normals.size())]; }

    // Whole arrays, read only (for writers and tests).
    const std::vector<Point3>& verts() const { return m_verts; }
    const std::vector<Face>& faces() const { return m_faces; }
    const std::vector<Point3>& tVerts() const { return m_tVerts; }
    const std::vector<TVFace>& tvFaces() const { return m_tvFaces; }

    // Removes every face that uses one vertex at two corners. TRUE when a face
    // was removed. Texture faces are removed with their faces while the two
    // arrays are the same length (texture faces in step with faces).
    BOOL RemoveDegenerateFaces();
    // Removes every face with a vertex index at or above the vertex count,
    // keeping texture faces in step as above. TRUE when a face was removed.
    BOOL RemoveIllegalFaces();

    // Builds the face normals and, per face corner, the rendered normal: the
    // normalised average of the unit normals of every face that uses the
    // corner's vertex and shares a smoothing group with the corner's face
    // (mask AND mask non-zero). A face with mask 0 is faceted: its corners
    // take its face normal. A face of zero area, or one with an index outside
    // the vertex array, has the zero normal and adds nothing to its
    // neighbours. Then the per-vertex normal array is overwritten with the
    // normalised average over all faces that use the vertex; a vertex that
    // no face uses keeps its normal.
    void buildNormals();
    bool normalsBuilt() const { return m_normalsBuilt != BuiltNormals::None; }
    // After buildNormals; zero before it (or after a change that drops them).
    // They describe the mesh as built: after setVert, setNormal or a change to
    // a face, call buildNormals again. (Where every face carries one mask,
    // nothing per face is stored: face normals come from the vertices when
    // asked, and corner normals are the per-vertex normals.)
    Point3 getFaceNormal(int face) const;
    Point3 getCornerNormal(int face, int corner) const;

    // The box around every vertex with finite coordinates; empty for none.
    void buildBoundingBox();
    const Box3& getBoundingBox() const { return m_bbox; }

    // The stand-in keeps no edge list; this drops any data derived from the
    // faces that a later step would have to rebuild.
    void InvalidateEdgeList();

private:
    friend class MeshDelta;

    // Keeps the vertices (and their normals) whose remap entry is their own
    // index, in order, and sends every face index through remap to the new
    // numbering; remap[i] <= i for every i. An index at or above the old
    // vertex count stays illegal (at or above the new count). The vertex and
    // normal arrays shrink to the vertices kept; remap is used up (it ends
    // holding each old vertex's new number).
    void WeldVertices(std::vector<DWORD>& remap);

    static std::size_t Checked(int i, std::size_t size) {
        if (i < 0 || std::size_t(i) >= size) {
            ThrowOutOfRange();
        }
        return std::size_t(i);
    }
    [[noreturn]] static void ThrowOutOfRange();
    template <class Keep>
    BOOL RemoveFacesWhere(Keep keep);
    void DropNormals();
    // The unit normal of a face; zero for zero area or an index outside the vertices.
    Point3 FaceNormal(const Face& face) const;
    // buildNormals where every face carries one mask; false (nothing done) otherwise.
    bool BuildOneMaskNormals();

    std::vector<Point3> m_verts;
    std::vector<Point3> m_normals;
    std::vector<Face> m_faces;
    std::vector<Point3> m_tVerts;
    std::vector<TVFace> m_tvFaces;

    // How the built normals are kept: per face and corner in the two arrays
    // below, or (every face with one mask) not at all, derived when asked.
    enum class BuiltNormals : unsigned char { None, PerCorner, OneSmoothMask, AllFaceted };
    BuiltNormals m_normalsBuilt = BuiltNormals::None;
    std::vector<Point3> m_faceNormals;    // per face (PerCorner only)
    std::vector<Point3> m_cornerNormals;  // per face corner, 3 per face (PerCorner only)
    Box3 m_bbox;
};
