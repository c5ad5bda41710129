#include "app/gltf_writer.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <system_error>

#include "app/pending_file.h"
#include "app/scene_export.h"
#include "app/text_encoding.h"
#include "host/host_scene.h"
#include "host/mesh.h"
#include "host/tri_object.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDdsExtension = "MSFT_texture_dds";

bool EndsWithDds(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string ending = path.substr(path.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending == ".dds";
}

// Builds the tinygltf model: one buffer that every view points into.
class ModelBuilder {
public:
    explicit ModelBuilder(std::size_t reserveBytes) {
        m_model.asset.version = "2.0";
        m_model.asset.generator = "zenthor";
        m_model.buffers.emplace_back();
        // Untouched reserved pages cost no memory; growing by copies would.
        Data().reserve(reserveBytes);
    }

    void AddNode(const ExportNode& node, const ExportMesh& mesh) {
        tinygltf::Node out;
        out.name = ToUtf8(node.name);
        if (node.matrix) {
            out.matrix.assign(node.matrix->begin(), node.matrix->end());
        }
        if (!mesh.Empty()) {
            tinygltf::Primitive primitive;
            primitive.mode = TINYGLTF_MODE_TRIANGLES;
            primitive.attributes["POSITION"] = AddFloats(mesh.positions, 3, true);
            if (!mesh.normals.empty()) {
                primitive.attributes["NORMAL"] = AddFloats(mesh.normals, 3, false);
            }
            primitive.attributes["TEXCOORD_0"] = AddFloats(mesh.uvs, 2, false);
            primitive.indices = AddIndices(mesh.indices, mesh.VertexCount());
            if (node.material) {
                primitive.material = AddMaterial(*node.material);
            }
            tinygltf::Mesh gltfMesh;
            gltfMesh.name = out.name;
            gltfMesh.primitives.push_back(std::move(primitive));
            out.mesh = static_cast<int>(m_model.meshes.size());
            m_model.meshes.push_back(std::move(gltfMesh));
        }
        m_scene.nodes.push_back(static_cast<int>(m_model.nodes.size()));
        m_model.nodes.push_back(std::move(out));
    }

    // The finished model; `binName` is the .bin's name for a .gltf, empty for a .glb.
    tinygltf::Model& Finish(const std::string& binName) {
        m_model.scenes.push_back(m_scene);
        m_model.defaultScene = 0;
        if (Data().empty()) {
            m_model.buffers.clear();  // a buffer may not be empty
        } else {
            m_model.buffers[0].uri = binName;
        }
        return m_model;
    }

    std::size_t BufferSize() const { return m_model.buffers.empty() ? 0 : m_model.buffers[0].data.size(); }

private:
    std::vector<unsigned char>& Data() { return m_model.buffers[0].data; }

    int AddView(const void* bytes, std::size_t size, int target) {
        std::vector<unsigned char>& data = Data();
        const std::size_t offset = data.size();
        data.resize(offset + ((size + 3) & ~std::size_t{3}), 0);  // views start 4-byte aligned
        std::memcpy(data.data() + offset, bytes, size);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = offset;
        view.byteLength = size;
        view.target = target;
        m_model.bufferViews.push_back(view);
        return static_cast<int>(m_model.bufferViews.size() - 1);
    }

    int AddFloats(const std::vector<float>& values, int components, bool withBounds) {
        tinygltf::Accessor accessor;
        accessor.bufferView =
            AddView(values.data(), values.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        accessor.type = components == 3 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC2;
        accessor.count = values.size() / static_cast<std::size_t>(components);
        if (withBounds) {
            accessor.minValues.assign(components, std::numeric_limits<double>::infinity());
            accessor.maxValues.assign(components, -std::numeric_limits<double>::infinity());
            for (std::size_t i = 0; i < values.size(); ++i) {
                const auto c = i % static_cast<std::size_t>(components);
                accessor.minValues[c] = std::min(accessor.minValues[c], double{values[i]});
                accessor.maxValues[c] = std::max(accessor.maxValues[c], double{values[i]});
            }
        }
        m_model.accessors.push_back(std::move(accessor));
        return static_cast<int>(m_model.accessors.size() - 1);
    }

    int AddIndices(const std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
        tinygltf::Accessor accessor;
        if (vertexCount <= std::numeric_limits<std::uint16_t>::max()) {
            const std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
            accessor.bufferView =
                AddView(narrow.data(), narrow.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        } else {
            accessor.bufferView =
                AddView(indices.data(), indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        }
        accessor.type = TINYGLTF_TYPE_SCALAR;
        accessor.count = indices.size();
        m_model.accessors.push_back(std::move(accessor));
        return static_cast<int>(m_model.accessors.size() - 1);
    }

    int AddMaterial(const ExportMaterial& material) {
        tinygltf::Material out;
        out.name = ToUtf8(material.name);
        out.pbrMetallicRoughness.metallicFactor = 0.0;
        out.pbrMetallicRoughness.roughnessFactor = 1.0;
        if (!material.texturePath.empty()) {
            out.pbrMetallicRoughness.baseColorTexture.index = TextureFor(material.texturePath);
            if (material.alphaFromTexture) {
                out.alphaMode = "MASK";
                out.alphaCutoff = 0.5;
            }
        }
        m_model.materials.push_back(std::move(out));
        return static_cast<int>(m_model.materials.size() - 1);
    }

    // One image and one texture per file, shared by the materials that use it.
    int TextureFor(const std::string& path) {
        if (const auto it = m_textures.find(path); it != m_textures.end()) {
            return it->second;
        }
        tinygltf::Image image;
        image.uri = PathToUri(path);
        const int imageIndex = static_cast<int>(m_model.images.size());
        m_model.images.push_back(std::move(image));

        tinygltf::Texture texture;
        texture.source = imageIndex;
        if (EndsWithDds(path)) {
            tinygltf::Value::Object dds;
            dds["source"] = tinygltf::Value(imageIndex);
            texture.extensions[kDdsExtension] = tinygltf::Value(std::move(dds));
            if (std::find(m_model.extensionsUsed.begin(), m_model.extensionsUsed.end(), kDdsExtension) ==
                m_model.extensionsUsed.end()) {
                m_model.extensionsUsed.push_back(kDdsExtension);
            }
        }
        const int textureIndex = static_cast<int>(m_model.textures.size());
        m_model.textures.push_back(std::move(texture));
        m_textures.emplace(path, textureIndex);
        return textureIndex;
    }

    tinygltf::Model m_model;
    tinygltf::Scene m_scene;
    std::map<std::string, int> m_textures;
};

// An upper bound of the buffer: every corner its own vertex, 32 bytes each, and a
// 4-byte index per corner.
std::size_t BufferBound(const HostScene& scene) {
    std::size_t bytes = 0;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        if (const TriObject* object = scene.Node(i).Object()) {
            bytes += object->GetMesh().faces().size() * 3 * (32 + 4) + 64;
        }
    }
    return bytes;
}

}  // namespace

fs::path GltfBinPath(const fs::path& path) {
    std::string stem = path.stem().string();
    for (char& c : stem) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
        if (!plain) {
            c = '_';
        }
    }
    return path.parent_path() / ((stem.empty() ? std::string("scene") : stem) + ".bin");
}

bool WriteGltf(const HostScene& scene, const fs::path& path, bool binary, ExportWarnings& warnings,
               std::string& error) {
    try {
        const std::vector<ExportNode> nodes = DescribeNodes(scene, path, warnings);
        ModelBuilder builder(BufferBound(scene));
        for (const ExportNode& node : nodes) {
            // One mesh at a time: its split vertices live only until they are in the buffer.
            builder.AddNode(node, BuildExportMesh(node, warnings));
        }
        const fs::path bin = binary ? fs::path() : GltfBinPath(path);
        const std::string binName = bin.filename().string();
        const std::size_t bufferSize = builder.BufferSize();
        tinygltf::Model& model = builder.Finish(binName);

        tinygltf::TinyGLTF gltf;
        // Images are referenced by their URIs, never read or re-encoded.
        gltf.SetImageWriter(nullptr, nullptr);
        PendingFile file(path);
        if (binary) {
            std::ofstream out(file.TempPath(), std::ios::binary | std::ios::trunc);
            if (!out || !gltf.WriteGltfSceneToStream(&model, out, false, true) || !out.flush()) {
                error = "cannot write " + path.string();
                return false;
            }
        } else {
            if (!gltf.WriteGltfSceneToFile(&model, file.TempPath().string(), false, false, true, false)) {
                error = "cannot write " + path.string() + " or its " + binName;
                return false;
            }
            // tinygltf does not report a short write of the .bin: check its size.
            std::error_code code;
            if (bufferSize > 0 && fs::file_size(bin, code) != bufferSize) {
                error = "cannot write " + bin.string();
                return false;
            }
            if (fs::file_size(file.TempPath(), code) == 0 || code) {
                error = "cannot write " + path.string();
                return false;
            }
        }
        return file.Commit(error);
    } catch (const std::exception& e) {
        error = "cannot write " + path.string() + ": " + e.what();
        return false;
    }
}

}  // namespace zenthor
