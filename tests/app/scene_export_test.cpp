// The writers' shared preparation, checked on host scenes built by hand: where vertices
// split, what is dropped (nothing non-finite reaches a writer), how materials and texture
// paths come out; and the text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/output/scene_export.h"
#include "app/support/text_encoding.h"
#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using namespace test;

// A quad of two triangles (0 1 2) and (0 2 3) sharing the edge 0-2.
struct QuadCase {
    const char* name;
    Point3 fourth;               // vertex 3; off the plane folds the quad
    DWORD smoothing;             // both faces' smoothing-group mask
    std::vector<Point3> tVerts;  // texture vertices
    TVFace secondTvFace;         // the first texture face is (0 1 2)
    DWORD thirdIndexOfSecondFace = 3;
    std::size_t expectedVertices;
    std::size_t expectedTriangles;
};

ExportMesh ExportQuad(const QuadCase& quad, ExportWarnings& warnings) {
    HostScene scene;
    TriObject* object = CreateNewTriObject();
    Mesh& mesh = object->GetMesh();
    mesh.setNumVerts(4);
    mesh.setVert(0, {0, 0, 0});
    mesh.setVert(1, {1, 0, 0});
    mesh.setVert(2, {1, 1, 0});
    mesh.setVert(3, quad.fourth);
    mesh.setNumFaces(2);
    mesh.face(0).setVerts(0, 1, 2);
    mesh.face(1).setVerts(0, 2, static_cast<int>(quad.thirdIndexOfSecondFace));
    mesh.setNumTVerts(static_cast<int>(quad.tVerts.size()));
    for (std::size_t i = 0; i < quad.tVerts.size(); ++i) {
        mesh.setTVert(static_cast<int>(i), quad.tVerts[i]);
    }
    mesh.setNumTVFaces(2);
    mesh.tvFace(0).setTVerts(0, 1, 2);
    mesh.tvFace(1) = quad.secondTvFace;
    for (int f = 0; f < 2; ++f) {
        mesh.face(f).setSmGroup(quad.smoothing);
    }
    mesh.buildNormals();
    ImportNode* node = scene.CreateNode();
    node->AttachObject(object);
    node->SetName("quad");
    scene.AddNodeToScene(node);

    const std::vector<ExportNode> nodes = DescribeNodes(scene, "out.glb", warnings);
    return BuildExportMesh(nodes.at(0), warnings);
}

TEST(ExportMesh, VerticesSplitOnlyWhereTextureCoordinateOrNormalDiffers) {
    const std::vector<Point3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    TVFace shared;
    shared.setTVerts(0, 2, 3);
    TVFace seam;  // vertices 0 and 2 take other texture vertices
    seam.setTVerts(4, 5, 3);
    std::vector<Point3> seamTVerts = square;
    seamTVerts.push_back({0.5f, 0.5f, 0});
    seamTVerts.push_back({0.7f, 0.7f, 0});
    std::vector<Point3> duplicateTVerts = square;
    duplicateTVerts.push_back(square[0]);
    duplicateTVerts.push_back(square[2]);

    const QuadCase cases[] = {
        {"shared corners", {0, 1, 0}, 1, square, shared, 3, 4, 2},
        {"texture seam", {0, 1, 0}, 1, seamTVerts, seam, 3, 6, 2},
        {"equal texture values", {0, 1, 0}, 1, duplicateTVerts, seam, 3, 4, 2},
        {"folded and smooth", {0, 1, 1}, 1, square, shared, 3, 4, 2},
        {"folded and faceted", {0, 1, 1}, 0, square, shared, 3, 6, 2},
        {"index outside the mesh", {0, 1, 0}, 1, square, shared, 7, 3, 1},
        {"non-finite corner", {std::numeric_limits<float>::quiet_NaN(), 1, 0}, 1, square, shared, 3, 3, 1},
    };
    for (const QuadCase& quad : cases) {
        SCOPED_TRACE(quad.name);
        ExportWarnings warnings;
        const ExportMesh mesh = ExportQuad(quad, warnings);
        EXPECT_EQ(mesh.VertexCount(), quad.expectedVertices);
        EXPECT_EQ(mesh.indices.size(), quad.expectedTriangles * 3);
        EXPECT_EQ(mesh.normals.size(), mesh.positions.size());
        EXPECT_EQ(mesh.uvs.size(), mesh.VertexCount() * 2);
        EXPECT_EQ(warnings.messages.empty(), quad.expectedTriangles == 2);
        for (const auto* values : {&mesh.positions, &mesh.normals, &mesh.uvs}) {
            for (float value : *values) EXPECT_TRUE(std::isfinite(value));
        }
    }
}

// Positions and normals reach the files in the output's axes, as the imports read back by
// other libraries show; texture coordinates are checked here.
TEST(ExportMesh, TextureVCountsFromTheTopInTheOutput) {
    ExportWarnings warnings;
    const std::vector<Point3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    TVFace shared;
    shared.setTVerts(0, 2, 3);
    const ExportMesh mesh = ExportQuad({"", {0, 1, 0}, 1, square, shared, 3, 4, 2}, warnings);
    const std::uint32_t v = mesh.indices[2];  // host vertex 2, texture (1, 1)
    EXPECT_EQ(mesh.sourceVertex[v], 2u);
    EXPECT_FLOAT_EQ(mesh.uvs[2 * v + 1], 0.0f);
}

// The texture is referenced relative to the output and spelled as on disk; its alpha is the
// opacity only when the diffuse bitmap, alpha as mono, fills the opacity slot too.
TEST(ExportMaterial, TexturePathAsOnDiskAndAlphaOnlyFromTheDiffuseBitmap) {
    TempContentTree tree;
    tree.Write("textures/Stone.2048.dds", std::vector<std::uint8_t>{'D', 'D', 'S', ' '});
    // As the importer names it: backslashes, and letter case that differs from the disk's.
    const std::string mapName = tree.Root().string() + "\\TEXTURES\\stone.2048.dds";
    for (const auto& [alphaAsMono, sameBitmap] : {std::pair{true, true}, {false, true}, {true, false}}) {
        SCOPED_TRACE(std::to_string(alphaAsMono) + std::to_string(sameBitmap));
        HostScene scene;
        StdMat2* material = NewDefaultStdMat();
        BitmapTex* diffuse = NewDefaultBitmapTex();
        diffuse->SetMapName(mapName.c_str());
        diffuse->SetAlphaAsMono(alphaAsMono);
        BitmapTex* opacity = diffuse;
        if (!sameBitmap) {
            opacity = NewDefaultBitmapTex();
            opacity->SetMapName("other.dds");
            opacity->SetAlphaAsMono(TRUE);
        }
        material->SetSubTexmap(kDiffuseSlot, diffuse);
        material->SetSubTexmap(kOpacitySlot, opacity);
        ImportNode* node = scene.CreateNode();
        node->GetSceneNode()->SetMaterial(material);
        scene.AddNodeToScene(node);

        ExportWarnings warnings;
        const std::vector<ExportNode> nodes =
            DescribeNodes(scene, tree.Base() / "out" / "scene.glb", warnings);
        ASSERT_TRUE(nodes.at(0).material.has_value());
        EXPECT_EQ(nodes[0].material->texturePath, "../content/textures/Stone.2048.dds");
        EXPECT_TRUE(nodes[0].material->textureExists);
        EXPECT_EQ(nodes[0].material->alphaFromTexture, alphaAsMono && sameBitmap);
        EXPECT_TRUE(warnings.messages.empty());
    }
}

TEST(TextEncoding, NamesBecomeValidUtf8UrisAndSingleLines) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},                            // valid UTF-8 stays
        {"caf\xe9", "caf\xc3\xa9"},                                // a Latin-1 byte is converted
        {"\xc3", "\xc3\x83"},                                      // a sequence cut short
        {"\xc0\x80", "\xc3\x80\xc2\x80"},                          // an overlong NUL
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},              // a surrogate
        {"\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},  // above U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToUtf8(c.bytes), c.utf8) << c.bytes;
    }
    EXPECT_EQ(PathToUri("../my textures/a%b#\xe9.dds"), "../my%20textures/a%25b%23%E9.dds");
    EXPECT_EQ(OneLine("name\nnewmtl x\r\t"), "name_newmtl x__");
}

}  // namespace
}  // namespace zenthor
