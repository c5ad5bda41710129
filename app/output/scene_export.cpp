#include "app/output/scene_export.h"

#include <cmath>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/matrix3.h"
#include "host/mesh.h"
#include "host/mtl.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// The one axis conversion of the writers. The host is z-up and right-handed; glTF (and
// the OBJ files we write, for the tools that read OBJ as y-up) is y-up and right-handed:
// host (x, y, z) becomes output (x, z, -y). That is a quarter turn about x, which keeps
// handedness, so triangles keep the host's corner order. (0 - y rather than -y: no -0.)
std::array<float, 3> HostToOutputAxes(const Point3& p) {
    return {p.x, p.z, 0.0f - p.y};
}

// Texture space: the host's v grows upwards, glTF's downwards.
std::array<float, 2> HostToOutputTexture(const Point3& t) {
    return {t.x, 1.0f - t.y};
}

bool Finite(std::initializer_list<float> values) {
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

std::string Quoted(const std::string& name) {
    return "'" + name + "'";
}

// The node matrix in output axes, column-major. A host matrix maps row vectors: rows
// 0-2 are the images of the host's axes, row 3 the translation. Conjugated by the axis
// conversion C, the output's x, y and z axes are the host's x, z and -y, so the columns
// are C(row 0), C(row 2), -C(row 1) and C(row 3).
std::optional<std::array<double, 16>> OutputMatrix(const HostNode& node, ExportWarnings& warnings) {
    if (!node.HasTransform(0)) {
        return std::nullopt;
    }
    const Matrix3 tm = node.Transform(0);
    if (tm.IsIdentity()) {
        return std::nullopt;
    }
    const std::array<float, 3> axes[4] = {HostToOutputAxes(tm.GetRow(0)), HostToOutputAxes(tm.GetRow(2)),
                                          HostToOutputAxes(tm.GetRow(1) * -1.0f),
                                          HostToOutputAxes(tm.GetRow(3))};
    std::array<double, 16> m{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 3; ++row) {
            const float value = axes[column][row];
            if (!std::isfinite(value)) {
                warnings.Add("node " + Quoted(node.Name()) +
                             ": its transform is not finite; the identity is written");
                return std::nullopt;
            }
            m[column * 4 + row] = value;
        }
    }
    m[15] = 1.0;
    return m;
}

// Where a texture file was found, and how the output refers to it.
struct FoundTexture {
    bool exists = false;
    fs::path file;
    std::string reference;
};

// Nodes share textures: each map name is looked up once per output (in `found`).
std::optional<ExportMaterial> DescribeMaterial(const HostNode& node, const fs::path& outputFile,
                                               std::unordered_map<std::string, FoundTexture>& found) {
    const Mtl* mtl = node.Material();
    if (mtl == nullptr) {
        return std::nullopt;
    }
    ExportMaterial material;
    material.name = mtl->GetName().data();
    const auto* diffuse = dynamic_cast<const BitmapTex*>(mtl->GetSubTexmap(kDiffuseSlot));
    if (diffuse == nullptr || *diffuse->GetMapName() == '\0') {
        return material;
    }
    const std::string mapName = diffuse->GetMapName();
    const auto [texture, fresh] = found.try_emplace(mapName);
    if (fresh) {
        std::error_code error;
        const fs::path onDisk = fs::absolute(platform::ResolvePath(mapName), error).lexically_normal();
        texture->second.exists = fs::is_regular_file(onDisk, error);
        texture->second.file = onDisk;
        texture->second.reference = ReferenceFrom(outputFile, onDisk);
    }
    if (texture->second.exists) {
        material.textureExists = true;
        material.textureFile = texture->second.file;
    }
    material.texturePath = texture->second.reference;

    const auto* opacity = dynamic_cast<const BitmapTex*>(mtl->GetSubTexmap(kOpacitySlot));
    material.alphaFromTexture = opacity != nullptr && opacity->GetAlphaAsMono() &&
                                (opacity == diffuse || mapName == opacity->GetMapName());
    return material;
}

}  // namespace

std::vector<ExportNode> DescribeNodes(const HostScene& scene, const fs::path& outputFile,
                                      ExportWarnings& warnings) {
    std::vector<ExportNode> nodes;
    nodes.reserve(static_cast<std::size_t>(scene.NodeCount()));
    std::unordered_map<std::string, FoundTexture> textures;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        const HostNode& host = scene.Node(i);
        ExportNode node;
        node.node = &host;
        node.name = host.Name();
        node.matrix = OutputMatrix(host, warnings);
        node.material = DescribeMaterial(host, outputFile, textures);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::string ReferenceFrom(const fs::path& outputFile, const fs::path& file) {
    std::error_code error;
    const fs::path target = fs::absolute(file, error).lexically_normal();
    const fs::path folder = fs::absolute(outputFile, error).parent_path().lexically_normal();
    const fs::path relative = target.lexically_relative(folder);
    return relative.empty() ? target.generic_string() : relative.generic_string();
}

ExportMesh BuildExportMesh(const ExportNode& node, ExportWarnings& warnings) {
    ExportMesh out;
    const TriObject* object = node.node->Object();
    if (object == nullptr) {
        return out;
    }
    const Mesh& mesh = object->GetMesh();
    const std::vector<Point3>& verts = mesh.verts();
    const std::vector<Face>& faces = mesh.faces();
    const std::vector<Point3>& tVerts = mesh.tVerts();
    const std::vector<TVFace>& tvFaces = mesh.tvFaces();
    const bool withUvs = !tVerts.empty() && tvFaces.size() == faces.size();
    const bool withNormals = mesh.normalsBuilt();

    std::vector<bool> finite(verts.size());
    for (std::size_t v = 0; v < verts.size(); ++v) {
        finite[v] = verts[v].IsFinite();
    }

    // Each host vertex keeps a chain of the output vertices split from it; a corner
    // reuses the one with its texture coordinate and normal, or adds one.
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> head(verts.size(), kNone);
    std::vector<std::uint32_t> next;
    out.positions.reserve(verts.size() * 3);
    out.uvs.reserve(verts.size() * 2);
    if (withNormals) {
        out.normals.reserve(verts.size() * 3);
    }
    out.indices.reserve(faces.size() * 3);

    std::size_t illegal = 0;
    std::size_t notFinite = 0;
    std::size_t zeroedUvs = 0;
    std::size_t zeroedNormals = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const Face& face = faces[f];
        if (face.v[0] >= verts.size() || face.v[1] >= verts.size() || face.v[2] >= verts.size()) {
            ++illegal;
            continue;
        }
        if (!finite[face.v[0]] || !finite[face.v[1]] || !finite[face.v[2]]) {
            ++notFinite;
            continue;
        }
        for (int corner = 0; corner < 3; ++corner) {
            const std::uint32_t v = face.v[corner];
            std::array<float, 2> uv{0.0f, 0.0f};
            if (withUvs && tvFaces[f].t[corner] < tVerts.size()) {
                uv = HostToOutputTexture(tVerts[tvFaces[f].t[corner]]);
                if (!Finite({uv[0], uv[1]})) {
                    uv = {0.0f, 0.0f};
                    ++zeroedUvs;
                }
            }
            std::array<float, 3> normal{0.0f, 0.0f, 0.0f};
            if (withNormals) {
                normal = HostToOutputAxes(mesh.getCornerNormal(static_cast<int>(f), corner));
                if (!Finite({normal[0], normal[1], normal[2]})) {
                    normal = {0.0f, 0.0f, 0.0f};
                    ++zeroedNormals;
                }
            }
            std::uint32_t index = head[v];
            for (; index != kNone; index = next[index]) {
                const bool sameUv = out.uvs[2 * index] == uv[0] && out.uvs[2 * index + 1] == uv[1];
                const bool sameNormal = !withNormals || (out.normals[3 * index] == normal[0] &&
                                                         out.normals[3 * index + 1] == normal[1] &&
                                                         out.normals[3 * index + 2] == normal[2]);
                if (sameUv && sameNormal) {
                    break;
                }
            }
            if (index == kNone) {
                index = static_cast<std::uint32_t>(out.sourceVertex.size());
                const std::array<float, 3> position = HostToOutputAxes(verts[v]);
                out.positions.insert(out.positions.end(), position.begin(), position.end());
                out.uvs.insert(out.uvs.end(), uv.begin(), uv.end());
                if (withNormals) {
                    out.normals.insert(out.normals.end(), normal.begin(), normal.end());
                }
                out.sourceVertex.push_back(v);
                next.push_back(head[v]);
                head[v] = index;
            }
            out.indices.push_back(index);
        }
    }

    const std::string where = "node " + Quoted(node.name) + ": ";
    if (illegal > 0) {
        warnings.Add(where + std::to_string(illegal) +
                     " triangles with a vertex index outside the mesh dropped");
    }
    if (notFinite > 0) {
        warnings.Add(where + std::to_string(notFinite) +
                     " triangles with a non-finite vertex position dropped");
    }
    if (zeroedUvs > 0) {
        warnings.Add(where + std::to_string(zeroedUvs) + " non-finite texture coordinates written as (0, 0)");
    }
    if (zeroedNormals > 0) {
        warnings.Add(where + std::to_string(zeroedNormals) + " non-finite normals written as (0, 0, 0)");
    }
    return out;
}

std::array<float, 3> TransformPoint(const std::array<double, 16>& m, const float* p) {
    std::array<float, 3> out{};
    for (int row = 0; row < 3; ++row) {
        out[row] = static_cast<float>(m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row]);
    }
    return out;
}

std::array<float, 3> TransformNormal(const std::array<double, 16>& m, const float* n) {
    // The inverse transpose is the cofactor matrix over the determinant; only the
    // determinant's sign matters once the result is normalised.
    const auto a = [&](int row, int column) { return m[column * 4 + row]; };
    double cof[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
        }
    }
    const double det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
    const double sign = det < 0 ? -1.0 : 1.0;
    double v[3];
    for (int r = 0; r < 3; ++r) {
        v[r] = sign * (cof[r][0] * n[0] + cof[r][1] * n[1] + cof[r][2] * n[2]);
    }
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {static_cast<float>(v[0] / length), static_cast<float>(v[1] / length),
            static_cast<float>(v[2] / length)};
}

}  // namespace zenthor
