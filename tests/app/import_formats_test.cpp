// The sample model imported into each output format and read back with a library other
// than the one that wrote it (Assimp for glTF and GLB, tinyobjloader for OBJ), checked by
// structure: nodes and their order, triangles, materials, textures, axes, alpha.
#include <assimp/GltfMaterial.h>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiny_obj_loader.h>
#include <assimp/Importer.hpp>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "tests/app/zenthor_process.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using namespace test;
namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using Vec3 = std::array<float, 3>;

// What a reader found, in the same terms for every format.
struct ReadNode {
    std::string name;
    std::string material;
    std::string texture;                       // as referenced, relative to the output file
    std::string opacity;                       // the texture whose alpha is the opacity; empty for none
    std::vector<std::array<Vec3, 3>> corners;  // positions of each triangle
    std::vector<std::array<Vec3, 3>> normals;  // normals of each triangle's corners
};

std::vector<ReadNode> ReadWithAssimp(const fs::path& file) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), 0);
    if (scene == nullptr) {
        ADD_FAILURE() << "Assimp cannot read " << file << ": " << importer.GetErrorString();
        return {};
    }
    std::vector<ReadNode> nodes;
    for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i) {
        const aiNode* child = scene->mRootNode->mChildren[i];
        ReadNode node;
        node.name = child->mName.C_Str();
        for (unsigned m = 0; m < child->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[child->mMeshes[m]];
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (face.mNumIndices != 3) continue;
                std::array<Vec3, 3> corners;
                std::array<Vec3, 3> normals{};
                for (int c = 0; c < 3; ++c) {
                    const aiVector3D& p = mesh->mVertices[face.mIndices[c]];
                    corners[c] = {p.x, p.y, p.z};
                    if (mesh->HasNormals()) {
                        const aiVector3D& n = mesh->mNormals[face.mIndices[c]];
                        normals[c] = {n.x, n.y, n.z};
                    }
                }
                node.corners.push_back(corners);
                node.normals.push_back(normals);
            }
            const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
            aiString name;
            material->Get(AI_MATKEY_NAME, name);
            node.material = name.C_Str();
            aiString texture;
            if (material->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS)
                node.texture = texture.C_Str();
            aiString alphaMode;
            if (material->Get(AI_MATKEY_GLTF_ALPHAMODE, alphaMode) == AI_SUCCESS &&
                std::string(alphaMode.C_Str()) != "OPAQUE") {
                node.opacity = std::string(alphaMode.C_Str()) + ":" + node.texture;
            }
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::vector<ReadNode> ReadWithTinyObj(const fs::path& file) {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(file.string(), config)) {
        ADD_FAILURE() << "tinyobjloader cannot read " << file << ": " << reader.Error();
        return {};
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    std::vector<ReadNode> nodes;
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        ReadNode node;
        node.name = shape.name;
        for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            std::array<Vec3, 3> corners;
            std::array<Vec3, 3> normals{};
            for (int c = 0; c < 3; ++c) {
                const tinyobj::index_t& index = shape.mesh.indices[3 * f + static_cast<std::size_t>(c)];
                for (int k = 0; k < 3; ++k) {
                    corners[c][k] = attrib.vertices[3 * static_cast<std::size_t>(index.vertex_index) + k];
                    if (index.normal_index >= 0) {
                        normals[c][k] = attrib.normals[3 * static_cast<std::size_t>(index.normal_index) + k];
                    }
                }
            }
            node.corners.push_back(corners);
            node.normals.push_back(normals);
        }
        if (!shape.mesh.material_ids.empty() && shape.mesh.material_ids[0] >= 0) {
            const tinyobj::material_t& material =
                reader.GetMaterials()[static_cast<std::size_t>(shape.mesh.material_ids[0])];
            node.material = material.name;
            node.texture = material.diffuse_texname;
            if (!material.alpha_texname.empty()) node.opacity = "MASK:" + material.alpha_texname;
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

// Each output format and the reader that checks it.
const struct {
    const char* extension;
    std::vector<ReadNode> (*read)(const fs::path&);
} kFormats[] = {{".gltf", ReadWithAssimp}, {".glb", ReadWithAssimp}, {".obj", ReadWithTinyObj}};

// The mean of all corners: the centre of a box made of square faces.
Vec3 Centre(const ReadNode& node) {
    Vec3 sum{};
    for (const auto& triangle : node.corners) {
        for (const Vec3& p : triangle) {
            for (int k = 0; k < 3; ++k) sum[k] += p[k] / static_cast<float>(3 * node.corners.size());
        }
    }
    return sum;
}

Vec3 WindingNormal(const std::array<Vec3, 3>& t) {
    const Vec3 a{t[1][0] - t[0][0], t[1][1] - t[0][1], t[1][2] - t[0][2]};
    const Vec3 b{t[2][0] - t[0][0], t[2][1] - t[0][1], t[2][2] - t[0][2]};
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void ExpectSampleStructure(const fs::path& output, const std::vector<ReadNode>& nodes) {
    ASSERT_EQ(nodes.size(), 4u);
    std::vector<std::string> names, materials;
    std::vector<std::size_t> triangles;
    for (const ReadNode& node : nodes) {
        names.push_back(node.name);
        materials.push_back(node.material);
        triangles.push_back(node.corners.size());
    }
    // The referenced crate comes after the model's own meshes; its level of detail is not loaded.
    EXPECT_THAT(names, ElementsAre("pedestal", "pillar", "banner", "crate"));
    EXPECT_THAT(triangles, ElementsAre(12, 12, 2, 12));
    EXPECT_THAT(materials, ElementsAre("props\\pedestal", "props\\pillar", "props\\banner", "props\\crate"));

    // Textures: found through the alias and the size endings, referenced relative to the
    // output, and their alpha is the opacity.
    const char* textures[] = {"stone.2048.dds", "stone.2048.dds", "cloth.512.dds", "crate.1024.dds"};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].texture, "../content/textures/" + std::string(textures[i])) << nodes[i].name;
        EXPECT_TRUE(fs::exists(output.parent_path() / nodes[i].texture)) << nodes[i].texture;
        EXPECT_EQ(nodes[i].opacity, "MASK:" + nodes[i].texture) << nodes[i].name;
    }

    // Axes: the pillar stands at model (3, 0, 1), y-up; the host has it at (3, 1, 0), z-up;
    // a y-up right-handed file has it at (3, 0, -1).
    const Vec3 pillar = Centre(nodes[1]);
    EXPECT_NEAR(pillar[0], 3.0f, 1e-5f);
    EXPECT_NEAR(pillar[1], 0.0f, 1e-5f);
    EXPECT_NEAR(pillar[2], -1.0f, 1e-5f);
    // Handedness: the flat banner's triangles turn the way its normals point.
    for (std::size_t t = 0; t < nodes[2].corners.size(); ++t) {
        const Vec3 winding = WindingNormal(nodes[2].corners[t]);
        for (const Vec3& normal : nodes[2].normals[t]) {
            EXPECT_GT(winding[0] * normal[0] + winding[1] * normal[1] + winding[2] * normal[2], 0.0f);
        }
    }
}

TEST(ImportFormats, SampleModelReadsBackWithItsStructure) {
    SampleTree tree;
    for (const auto& format : kFormats) {
        SCOPED_TRACE(format.extension);
        const fs::path output = tree.Base() / "out" / (std::string("sample") + format.extension);
        const ProcessResult run =
            RunZenthor({"import", tree.Path("models/sample.model"), "-o", output.string(), "--yes"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ExpectSampleStructure(output, format.read(output));
    }
}

// A mesh of two triangles: the first with an infinite texture coordinate, the second with
// a NaN position; a second mesh whose material name ends in a backslash (no object name).
void WriteUnusualModel(TempContentTree& tree) {
    MeshDesc bad;
    bad.header = std::array<std::uint8_t, 64>{};
    bad.names = std::array<std::string, 3>{"stone", "props\\bad", ""};
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float positions[6][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 0, 0}, {nan, 0, 0}, {5, 1, 0}};
    for (int i = 0; i < 6; ++i) {
        StaticVertexRecord v;
        for (int k = 0; k < 3; ++k) {
            v.position[k] = positions[i][k];
        }
        v.normal = PackVector(128, 128, 255);
        v.uv[0] = i == 1 ? inf : 0.5f;
        bad.staticVertices.push_back(v);
        bad.indices.push_back(static_cast<std::uint16_t>(i));
    }
    MeshDesc unnamed = TriangleMesh("stone", "props\\");
    tree.Write("models/unusual.model", {MeshesChunk({MeshEntry(bad), MeshEntry(unnamed)})});
}

// Both writers write what the shared preparation gives them, which keeps only finite values;
// the OBJ file shows it as text.
TEST(ImportUnusualData, NoNonFiniteValueReachesAFileAndEmptyNamesStayEmpty) {
    TempContentTree tree;
    WriteUnusualModel(tree);
    const fs::path output = tree.Base() / "out" / "unusual.obj";
    const ProcessResult run =
        RunZenthor({"import", tree.Path("models/unusual.model"), "-o", output.string(), "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("non-finite vertex position dropped"));
    EXPECT_THAT(run.err, HasSubstr("non-finite texture coordinates written as (0, 0)"));

    const std::vector<ReadNode> nodes = ReadWithTinyObj(output);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].corners.size(), 1u);  // the NaN triangle is gone
    EXPECT_EQ(nodes[1].name, "");
    std::ifstream in(output);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
}

}  // namespace
}  // namespace zenthor
