// --textures png through the built program: every output format names or carries PNGs
// that decode to the DDS files' pixels, a texture it cannot convert keeps its DDS with one
// warning, and a batch decodes each texture once for all its workers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/app/zenthor_process.h"
#include "tests/support/dds_writer.h"
#include "tests/support/glb_reader.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"
#include "tests/support/write_watch.h"

namespace zenthor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Each PNG pixel within `tolerance` of the image the DDS file was made from.
void ExpectPngOf(const Bytes& png, const RgbaImage& source, int tolerance) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr) << "not a PNG";
    const std::vector<std::uint8_t> decoded(pixels, pixels + std::size_t(width) * height * 4);
    stbi_image_free(pixels);
    ASSERT_EQ(width, static_cast<int>(source.width));
    ASSERT_EQ(height, static_cast<int>(source.height));
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        ASSERT_LE(std::abs(decoded[i] - source.pixels[i]), tolerance) << "byte " << i;
    }
}

// A node's texture as its output has it: the reference, or the PNG carried inside.
struct ReadTexture {
    std::string reference;
    Bytes embedded;
    std::string opacity;  // "MASK" when the texture's alpha cuts out, else empty
};

// The glTF JSON and binary chunk of a .gltf (with its .bin) or a .glb.
std::map<std::string, ReadTexture> ReadGltfTextures(const fs::path& file) {
    nlohmann::json json;
    Bytes bin;
    if (file.extension() == ".glb") {
        const Bytes bytes = ReadFile(file);
        Glb glb = ReadGlb({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        json = std::move(glb.json);
        bin = std::move(glb.bin);
    } else {
        json = nlohmann::json::parse(ReadFile(file));
        bin = ReadFile(file.parent_path() / json["buffers"][0]["uri"].get<std::string>());
    }
    std::map<std::string, ReadTexture> textures;
    for (const auto& node : json["nodes"]) {
        const auto& material =
            json["materials"]
                [json["meshes"][node["mesh"].get<int>()]["primitives"][0]["material"].get<int>()];
        ReadTexture& read = textures[node["name"]];
        read.opacity = material.value("alphaMode", "");
        if (!material["pbrMetallicRoughness"].contains("baseColorTexture")) {
            continue;
        }
        const int texture = material["pbrMetallicRoughness"]["baseColorTexture"]["index"];
        const auto& image = json["images"][json["textures"][texture]["source"].get<int>()];
        if (image.contains("uri")) {
            read.reference = image["uri"];
        } else {
            EXPECT_EQ(image["mimeType"], "image/png");
            const auto& view = json["bufferViews"][image["bufferView"].get<int>()];
            const auto begin = bin.begin() + view.value("byteOffset", 0);
            read.embedded.assign(begin, begin + view["byteLength"].get<int>());
        }
    }
    return textures;
}

std::map<std::string, ReadTexture> ReadObjTextures(const fs::path& file) {
    tinyobj::ObjReader reader;
    EXPECT_TRUE(reader.ParseFromFile(file.string())) << reader.Error();
    std::map<std::string, ReadTexture> textures;
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        const tinyobj::material_t& material =
            reader.GetMaterials().at(static_cast<std::size_t>(shape.mesh.material_ids.at(0)));
        textures[shape.name] = {
            material.diffuse_texname, {},
            !material.diffuse_texname.empty() && material.alpha_texname == material.diffuse_texname ? "MASK" : ""};
    }
    return textures;
}

std::map<std::string, ReadTexture> ReadTextures(const fs::path& file) {
    return file.extension() == ".obj" ? ReadObjTextures(file) : ReadGltfTextures(file);
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A texture of the test tree: the image its DDS file holds, in which format.
struct TreeTexture {
    const char* name;
    DdsFormat format;
    RgbaImage image;
    int tolerance;
};

const TreeTexture kBrick{"walls/brick.1024.dds", kDxt5, TestImage(12, 8), 4};
const TreeTexture kCloth{"cloth.512.dds", kA8R8G8B8, TestImage(9, 7), 0};

// Five objects: two share a cube map (not converted), one has a DXT5 texture in a
// subfolder, one an uncompressed texture, and one a texture that is not there.
void WriteTree(TempContentTree& tree) {
    for (const TreeTexture& texture : {kBrick, kCloth}) {
        tree.Write("textures/" + std::string(texture.name), MakeDds(texture.format, texture.image));
    }
    Bytes cubeMap = MakeDds(kA8R8G8B8, TestImage(4, 4));
    PutU32(cubeMap, dds_field::kCaps2, 0x200 | 0xFC00);  // a cube map with all six faces
    tree.Write("textures/sky.2048.dds", cubeMap);
    tree.Write("models/scene.model", {MeshesChunk({MeshEntry(TriangleMesh("sky", "props\\dome")),
                                                   MeshEntry(TriangleMesh("sky", "props\\halo")),
                                                   MeshEntry(TriangleMesh("walls\\brick", "props\\wall")),
                                                   MeshEntry(TriangleMesh("cloth", "props\\banner")),
                                                   MeshEntry(TriangleMesh("lost", "props\\ghost"))})});
}

class PngOutputs : public ::testing::TestWithParam<const char*> {};

TEST_P(PngOutputs, ReferenceOrCarryPngsOfTheDdsPixelsAndKeepWhatCannotBeConverted) {
    TempContentTree tree;
    WriteTree(tree);
    const fs::path out = tree.Base() / "out";
    const fs::path output = out / (std::string("scene.") + GetParam());
    const ProcessResult run = RunZenthor(
        {"import", tree.Path("models/scene.model"), "-o", output.string(), "--yes", "--textures", "png"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // One warning for the cube map, though two objects use it.
    EXPECT_EQ(Count(run.err, "warning"), 1u) << run.err;
    EXPECT_THAT(
        run.err,
        HasSubstr(
            "warning: texture ../content/textures/sky.2048.dds kept as DDS: cube map is not converted"));

    const bool glb = output.extension() == ".glb";
    std::map<std::string, ReadTexture> textures = ReadTextures(output);
    ASSERT_EQ(textures.size(), 5u);
    // What is not there is not referenced: the output stands alone.
    EXPECT_EQ(textures["ghost"].reference, "");
    EXPECT_EQ(textures["ghost"].opacity, "");
    for (const char* node : {"dome", "halo"}) {
        EXPECT_EQ(textures[node].reference, "../content/textures/sky.2048.dds") << node;
    }
    for (const auto& [node, texture] : {std::pair{"wall", kBrick}, std::pair{"banner", kCloth}}) {
        SCOPED_TRACE(node);
        const std::string png =
            "scene_textures/" + fs::path(texture.name).replace_extension(".png").generic_string();
        const ReadTexture& read = textures[node];
        EXPECT_EQ(read.reference, glb ? "" : png);
        EXPECT_EQ(read.opacity, "MASK");
        ExpectPngOf(glb ? read.embedded : ReadFile(out / png), texture.image, texture.tolerance);
    }
    // Each PNG once; a .glb stands alone.
    const std::vector<std::string> beside =
        glb ? std::vector<std::string>{"scene.glb"}
            : std::vector<std::string>{"scene." + std::string(output.extension() == ".obj" ? "mtl" : "bin"),
                                       output.filename().string(), "scene_textures", "scene_textures/cloth.512.png",
                                       "scene_textures/walls", "scene_textures/walls/brick.1024.png"};
    EXPECT_THAT(FilesBelow(out), ::testing::UnorderedElementsAreArray(beside));
}

INSTANTIATE_TEST_SUITE_P(Formats, PngOutputs, ::testing::Values("glb", "gltf", "obj"),
                         [](const auto& info) { return std::string(info.param); });

TEST(PngBatch, EachTextureIsDecodedOnceAndSameNamedTexturesOfTwoTreesStayApart) {
    // Two content trees whose textures have the same name and different pixels.
    TempContentTree first, second;
    const RgbaImage images[2] = {TestImage(8, 4), TestImage(4, 8)};
    TempContentTree* trees[2] = {&first, &second};
    for (int t = 0; t < 2; ++t) {
        trees[t]->Write("textures/stone.2048.dds", MakeDds(kDxt5, images[t]));
        for (int m = 0; m < 3; ++m) {
            trees[t]->Write("models/" + std::string(1, char('a' + t)) + std::to_string(m) + ".model",
                            {MeshesChunk({MeshEntry(TriangleMesh("stone", "props\\stone"))})});
        }
    }
    const fs::path temp = first.Base() / "tmp";  // the batch's temporary folder goes here
    fs::create_directories(temp);
    setenv("TMPDIR", temp.c_str(), 1);
    const std::unique_ptr<const char, void (*)(const char*)> restore(
        "TMPDIR", [](const char* name) { unsetenv(name); });

    for (const char* format : {"gltf", "glb"}) {
        SCOPED_TRACE(format);
        const fs::path out = first.Base() / format;
        WriteWatch watch(out / "textures");
        const ProcessResult run =
            RunZenthor({"import", first.Path("models"), second.Path("models"), "--out-dir", out.string(),
                        "--jobs", "2", "--format", format, "--textures", "png", "--yes"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const bool glb = std::string(format) == "glb";
        if (!glb) {
            EXPECT_EQ(watch.Written(),
                      (std::map<std::string, int>{{"stone.2048.png", 1}, {"stone.2048-2.png", 1}}));
        }
        for (int t = 0; t < 2; ++t) {
            for (int m = 0; m < 3; ++m) {
                const fs::path output =
                    out / (std::string(1, char('a' + t)) + std::to_string(m) + "." + format);
                const ReadTexture texture = ReadTextures(output).at("stone");
                ExpectPngOf(glb ? texture.embedded : ReadFile(out / texture.reference), images[t], 4);
            }
        }
        EXPECT_TRUE(fs::is_empty(temp));
    }
}

}  // namespace
}  // namespace zenthor::test
