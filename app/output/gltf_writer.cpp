#include "app/output/scene_writers.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/output/export_textures.h"
#include "app/support/pending_file.h"
#include "app/output/scene_export.h"
#include "app/support/letter_case.h"
#include "app/support/text_encoding.h"
#include "host/host_scene.h"
#include "host/mesh.h"
#include "host/tri_object.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDdsExtension = "MSFT_texture_dds";

// Builds the tinygltf model: one buffer that every view points into.
class GltfBuilder {
public:
    explicit GltfBuilder(std::size_t reserveBytes) {
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

    // The finished model, and its buffer's bytes taken out of it.
    tinygltf::Model& Finish(std::vector<unsigned char>& bin) {
        m_model.scenes.push_back(m_scene);
        m_model.defaultScene = 0;
        bin = std::move(Data());
        Data().clear();
        if (bin.empty()) {
            m_model.buffers.clear();  // a buffer may not be empty
        }
        return m_model;
    }

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
            out.pbrMetallicRoughness.baseColorTexture.index = TextureFor(material);
            if (material.alphaFromTexture) {
                out.alphaMode = "MASK";
                out.alphaCutoff = 0.5;
            }
        }
        m_model.materials.push_back(std::move(out));
        return static_cast<int>(m_model.materials.size() - 1);
    }

    // One image and one texture per file, shared by the materials that use it.
    int TextureFor(const ExportMaterial& material) {
        const std::string& path = material.texturePath;
        if (const auto it = m_textures.find(path); it != m_textures.end()) {
            return it->second;
        }
        tinygltf::Image image;
        if (material.embeddedPng) {
            image.bufferView = AddView(material.embeddedPng->data(), material.embeddedPng->size(), 0);
            image.mimeType = "image/png";
        } else {
            image.uri = PathToUri(path);
        }
        const int imageIndex = static_cast<int>(m_model.images.size());
        m_model.images.push_back(std::move(image));

        tinygltf::Texture texture;
        texture.source = imageIndex;
        if (!material.embeddedPng && HasExtension(path, ".dds")) {
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

// The buffer as tinygltf writes it when its bytes are kept apart: no bytes, an empty data URI.
constexpr std::string_view kEmptyBufferGlb =
    R"("buffers":[{"byteLength":0,"uri":"data:application/octet-stream;base64,"}])";
constexpr std::string_view kEmptyBufferGltf = R"("buffers": [
    {
      "byteLength": 0,
      "uri": "data:application/octet-stream;base64,"
    }
  ])";

// The model's JSON as tinygltf writes it, but for the buffer, whose bytes are written
// apart: into the .glb's binary chunk, or into the .bin that `binUri` names. The buffer's
// entry is put right in the text; were it ever written otherwise, the JSON is read back and
// the entry put right there.
std::string GltfJson(const tinygltf::Model& model, std::size_t binSize, const std::string& binUri) {
    tinygltf::TinyGLTF gltf;
    // Images are referenced by their URIs or carried in the buffer, never read or re-encoded.
    gltf.SetImageWriter(nullptr, nullptr);
    std::ostringstream text;
    const bool pretty = !binUri.empty();
    gltf.WriteGltfSceneToStream(&model, text, pretty, false);
    std::string json = std::move(text).str();
    if (!json.empty() && json.back() == '\n') {
        json.pop_back();  // the stream's end of line, not part of the JSON
    }
    if (binSize == 0) {
        return json;
    }
    const std::string_view empty = pretty ? kEmptyBufferGltf : kEmptyBufferGlb;
    if (const std::size_t at = json.find(empty);
        at != std::string::npos && json.find(empty, at + 1) == std::string::npos) {
        const std::string length = std::to_string(binSize);
        // The .bin's name is made of letters, digits, '.', '-' and '_': nothing to escape.
        const std::string entry =
            pretty ? "\"buffers\": [\n    {\n      \"byteLength\": " + length + ",\n      \"uri\": \"" + binUri +
                         "\"\n    }\n  ]"
                   : "\"buffers\":[{\"byteLength\":" + length + "}]";
        return json.replace(at, empty.size(), entry);
    }
    nlohmann::json parsed = nlohmann::json::parse(json);
    nlohmann::json& buffer = parsed.at("buffers").at(0);
    buffer["byteLength"] = binSize;
    if (binUri.empty()) {
        buffer.erase("uri");
    } else {
        buffer["uri"] = binUri;
    }
    return pretty ? parsed.dump(2) : parsed.dump();
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

// The binary container: a header, the JSON chunk padded with spaces and the binary chunk
// padded with zeros, each to 4 bytes.
bool WriteGlb(PendingFile& file, const std::string& json, const std::vector<unsigned char>& bin,
              std::string& error) {
    const auto padded = [](std::uint64_t size) { return (size + 3) & ~std::uint64_t{3}; };
    const std::uint64_t length = 12 + 8 + padded(json.size()) + (bin.empty() ? 0 : 8 + padded(bin.size()));
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        error = "cannot write " + file.FinalPath().string() + ": a .glb holds at most 4 GiB (write .gltf)";
        return false;
    }
    std::string head = "glTF";
    PutU32(head, 2);
    PutU32(head, static_cast<std::uint32_t>(length));
    PutU32(head, static_cast<std::uint32_t>(padded(json.size())));
    PutU32(head, 0x4E4F534A);  // "JSON"
    const std::string jsonPad(padded(json.size()) - json.size(), ' ');
    if (bin.empty()) {
        file.Write({head, json, jsonPad});
        return true;
    }
    std::string binHead;
    PutU32(binHead, static_cast<std::uint32_t>(padded(bin.size())));
    PutU32(binHead, 0x004E4942);  // "BIN\0"
    const std::string binPad(padded(bin.size()) - bin.size(), '\0');
    file.Write({head, json, jsonPad, binHead,
                std::string_view(reinterpret_cast<const char*>(bin.data()), bin.size()), binPad});
    return true;
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

bool WriteGltf(const HostScene& scene, const fs::path& path, bool binary, TextureStore* textures,
               ExportWarnings& warnings, std::string& error) {
    try {
        std::vector<ExportNode> nodes = DescribeNodes(scene, path, warnings);
        PendingFileSet files;
        if (textures != nullptr && !UsePngTextures(nodes, *textures, path, binary, files, warnings, error)) {
            return false;
        }
        GltfBuilder builder(BufferBound(scene));
        for (const ExportNode& node : nodes) {
            // One mesh at a time: its split vertices live only until they are in the buffer.
            builder.AddNode(node, BuildExportMesh(node, warnings));
        }
        std::vector<unsigned char> bin;
        tinygltf::Model& model = builder.Finish(bin);
        if (binary) {
            PendingFile& glb = files.Add(path);
            if (!glb.Open(error) || !WriteGlb(glb, GltfJson(model, bin.size(), ""), bin, error) ||
                !glb.Close(error)) {
                return false;
            }
        } else {
            const fs::path binPath = GltfBinPath(path);
            if (!bin.empty() &&
                !files.AddWhole(binPath, {reinterpret_cast<const char*>(bin.data()), bin.size()}, error)) {
                return false;
            }
            if (!files.AddWhole(path, GltfJson(model, bin.size(), binPath.filename().string()), error)) {
                return false;
            }
        }
        return files.Commit(error);
    } catch (const std::exception& e) {
        error = "cannot write " + path.string() + ": " + e.what();
        return false;
    }
}

}  // namespace zenthor
