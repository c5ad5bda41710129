// The host scene as the output writers see it: nodes in scene order with their names,
// transforms and materials, and meshes with one vertex per distinct (position, texture
// coordinate, normal) corner, all in the output axes. Both writers take their data from
// here, so glTF and OBJ agree on axes, splits, materials and what is dropped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class HostNode;
class HostScene;

namespace zenthor {

// Warnings collected while exporting; each says what was changed so nothing non-finite
// reaches a file.
struct ExportWarnings {
    std::vector<std::string> messages;
    void Add(std::string message) { messages.push_back(std::move(message)); }
};

struct ExportMaterial {
    std::string name;
    // The diffuse bitmap's file, relative to the output file's folder where possible,
    // with '/' separators; empty when the material has no bitmap.
    std::string texturePath;
    bool textureExists = false;
    // The bitmap's file on disk (absolute) when it exists.
    std::filesystem::path textureFile;
    // A PNG image to carry inside the output instead of referencing `texturePath`.
    std::shared_ptr<const std::vector<std::uint8_t>> embeddedPng;
    // The opacity slot holds the diffuse bitmap with alpha-as-mono: the texture's alpha
    // is the opacity.
    bool alphaFromTexture = false;
};

struct ExportNode {
    const HostNode* node = nullptr;
    std::string name;  // as the host has it; may be empty
    // Column-major 4x4 in the output axes; nullopt for the identity.
    std::optional<std::array<double, 16>> matrix;
    std::optional<ExportMaterial> material;
};

struct ExportMesh {
    std::vector<float> positions;             // 3 per vertex
    std::vector<float> normals;               // 3 per vertex; empty when the host built no normals
    std::vector<float> uvs;                   // 2 per vertex, v growing downwards (glTF's texture space)
    std::vector<std::uint32_t> indices;       // 3 per triangle, in the host's corner order
    std::vector<std::uint32_t> sourceVertex;  // the host vertex each vertex was split from

    std::size_t VertexCount() const { return positions.size() / 3; }
    bool Empty() const { return indices.empty(); }
};

// The nodes of `scene`, in order. Texture paths are made relative to the folder of
// `outputFile`. A texture that is not found is referenced all the same (the import report
// tells the user, once per file).
std::vector<ExportNode> DescribeNodes(const HostScene& scene, const std::filesystem::path& outputFile,
                                      ExportWarnings& warnings);

// How an output at `outputFile` refers to `file`: relative to its folder where possible,
// with '/' separators.
std::string ReferenceFrom(const std::filesystem::path& outputFile, const std::filesystem::path& file);

// The mesh of one node (empty when it has none). Triangles with a vertex index outside
// the mesh or a non-finite position are dropped; non-finite normals and texture
// coordinates are zeroed; both with a warning.
ExportMesh BuildExportMesh(const ExportNode& node, ExportWarnings& warnings);

// Applies a node matrix to a point, and its normal matrix (inverse transpose, then
// normalised) to a direction; for writers that bake transforms into vertices.
std::array<float, 3> TransformPoint(const std::array<double, 16>& m, const float* p);
std::array<float, 3> TransformNormal(const std::array<double, 16>& m, const float* n);

}  // namespace zenthor
