#include "app/output/scene_writers.h"

#include <charconv>
#include <map>
#include <vector>

#include "app/output/export_textures.h"
#include "app/support/pending_file.h"
#include "app/output/scene_export.h"
#include "app/support/text_encoding.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// Text output in large blocks into a pending file.
class TextFile {
public:
    explicit TextFile(PendingFile& file) : m_file(file) {}

    TextFile& operator<<(std::string_view text) {
        m_buffer.append(text);
        if (m_buffer.size() >= (1u << 20)) {
            Flush();
        }
        return *this;
    }
    TextFile& operator<<(float value) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }
    TextFile& operator<<(std::size_t value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }

    // True when everything reached the file.
    bool Close(std::string& error) {
        Flush();
        return m_file.Close(error);
    }

private:
    void Flush() {
        m_file.Write(m_buffer);
        m_buffer.clear();
    }

    PendingFile& m_file;
    std::string m_buffer;
};

std::array<float, 3> AsArray(const float* p) {
    return {p[0], p[1], p[2]};
}

// One "v" or "vn" line.
void WriteVector(TextFile& obj, std::string_view kind, const std::array<float, 3>& q) {
    obj << kind << q[0] << " " << q[1] << " " << q[2] << "\n";
}

bool SameContent(const ExportMaterial& a, const ExportMaterial& b) {
    return a.texturePath == b.texturePath && a.alphaFromTexture == b.alphaFromTexture;
}

// The MTL entry name of each node's material ("" for none), and the entries to write.
struct MaterialTable {
    std::vector<std::string> nodeEntry;
    std::vector<std::pair<std::string, ExportMaterial>> entries;
};

MaterialTable AssignMaterialNames(const std::vector<ExportNode>& nodes) {
    MaterialTable table;
    std::map<std::string, std::vector<std::size_t>> byName;  // base name -> entry indices
    for (const ExportNode& node : nodes) {
        if (!node.material) {
            table.nodeEntry.emplace_back();
            continue;
        }
        const std::string base = node.material->name.empty() ? "unnamed" : OneLine(node.material->name);
        std::vector<std::size_t>& sameName = byName[base];
        std::string name;
        for (std::size_t entry : sameName) {
            if (SameContent(table.entries[entry].second, *node.material)) {
                name = table.entries[entry].first;
            }
        }
        if (name.empty()) {
            name = sameName.empty() ? base : base + "_" + std::to_string(sameName.size() + 1);
            sameName.push_back(table.entries.size());
            table.entries.emplace_back(name, *node.material);
        }
        table.nodeEntry.push_back(name);
    }
    return table;
}

bool WriteMtl(const MaterialTable& table, PendingFile& file, std::string& error) {
    TextFile mtl(file);
    mtl << "# Written by zenthor\n";
    for (const auto& [name, material] : table.entries) {
        mtl << "\nnewmtl " << name << "\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n";
        if (!material.texturePath.empty()) {
            const std::string texture = OneLine(material.texturePath);
            mtl << "map_Kd " << texture << "\n";
            if (material.alphaFromTexture) {
                mtl << "map_d " << texture << "\n";
            }
        }
    }
    return mtl.Close(error);
}

}  // namespace

bool WriteObj(const HostScene& scene, const fs::path& path, TextureStore* textures, ExportWarnings& warnings,
              std::string& error) {
    std::vector<ExportNode> nodes = DescribeNodes(scene, path, warnings);
    PendingFileSet files;
    if (textures != nullptr && !UsePngTextures(nodes, *textures, path, false, files, warnings, error)) {
        return false;
    }
    const MaterialTable materials = AssignMaterialNames(nodes);

    const fs::path mtlPath = ObjMtlPath(path);
    if (!materials.entries.empty()) {
        PendingFile& mtlFile = files.Add(mtlPath);
        if (!mtlFile.Open(error) || !WriteMtl(materials, mtlFile, error)) {
            return false;
        }
    }

    PendingFile& objFile = files.Add(path);
    if (!objFile.Open(error)) {
        return false;
    }
    TextFile obj(objFile);
    obj << "# Written by zenthor: y-up, right-handed; one object per scene node\n";
    if (!materials.entries.empty()) {
        obj << "mtllib " << OneLine(mtlPath.filename().string()) << "\n";
    }
    // OBJ numbers every kind of vertex from 1 across the whole file.
    std::size_t positionBase = 1;
    std::size_t cornerBase = 1;
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        const ExportNode& node = nodes[n];
        const ExportMesh mesh = BuildExportMesh(node, warnings);
        obj << "\no " << OneLine(node.name) << "\n";
        if (!materials.nodeEntry[n].empty()) {
            obj << "usemtl " << materials.nodeEntry[n] << "\n";
        }
        // Positions once per host vertex, in order of first use.
        constexpr std::size_t kUnwritten = ~std::size_t{0};
        std::vector<std::size_t> positionOf;
        std::size_t positionCount = 0;
        std::vector<std::size_t> position(mesh.VertexCount());
        for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
            const std::uint32_t source = mesh.sourceVertex[v];
            if (source >= positionOf.size()) {
                positionOf.resize(source + std::size_t{1}, kUnwritten);
            }
            const bool added = positionOf[source] == kUnwritten;
            if (added) {
                positionOf[source] = positionCount++;
            }
            position[v] = positionOf[source];
            if (added) {
                WriteVector(obj, "v ", node.matrix ? TransformPoint(*node.matrix, &mesh.positions[3 * v])
                                                   : AsArray(&mesh.positions[3 * v]));
            }
        }
        for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
            // OBJ's v grows upwards, as the host's does.
            obj << "vt " << mesh.uvs[2 * v] << " " << 1.0f - mesh.uvs[2 * v + 1] << "\n";
        }
        const bool withNormals = !mesh.normals.empty();
        for (std::size_t v = 0; withNormals && v < mesh.VertexCount(); ++v) {
            WriteVector(obj, "vn ", node.matrix ? TransformNormal(*node.matrix, &mesh.normals[3 * v])
                                                : AsArray(&mesh.normals[3 * v]));
        }
        for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
            obj << "f";
            for (std::size_t c = 0; c < 3; ++c) {
                const std::uint32_t v = mesh.indices[i + c];
                obj << " " << positionBase + position[v] << "/" << cornerBase + v;
                if (withNormals) {
                    obj << "/" << cornerBase + v;
                }
            }
            obj << "\n";
        }
        positionBase += positionCount;
        cornerBase += mesh.VertexCount();
    }
    return obj.Close(error) && files.Commit(error);
}

fs::path ObjMtlPath(const fs::path& path) {
    fs::path mtl = path;
    mtl.replace_extension(".mtl");
    return mtl;
}

}  // namespace zenthor
