#include "scene/scene_builder.h"

#include <gtest/gtest.h>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/mtl.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "model_fixtures.h"

namespace zenthor {
namespace {

using test::MakeMesh;

// A model of one triangle for each material name.
std::unique_ptr<CZenthorModel> Triangles(std::initializer_list<std::string> materialNames) {
    auto model = std::make_unique<CZenthorModel>();
    for (const std::string& name : materialNames) {
        model->meshes.push_back(
            MakeMesh({{{0, 0, 0}, {0, 0}}, {{1, 0, 0}, {1, 0}}, {{0, 0, 1}, {0, 1}}}, {0, 1, 2}, name, "t"));
    }
    return model;
}

std::vector<std::string> NodeNames(const HostScene& scene) {
    std::vector<std::string> names;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        names.push_back(scene.Node(i).Name());
    }
    return names;
}

TEST(BuildScene, OneTriangleBecomesOneNamedNodeWithItsMaterial) {
    CZenthorModel model;
    model.meshes.push_back(test::OneTriangleMesh());
    HostScene scene;
    EXPECT_EQ(BuildScene(model, "", &scene), 1);

    ASSERT_EQ(scene.NodeCount(), 1);
    const HostNode& node = scene.Node(0);
    ASSERT_TRUE(node.HasTransform(0));
    EXPECT_TRUE(node.Transform(0).IsIdentity());
    ASSERT_NE(node.Object(), nullptr);
    EXPECT_EQ(node.Object()->GetMesh().getNumFaces(), 1);
    EXPECT_EQ(node.Object()->GetMesh().face(0).smGroup, 1u);

    const Mtl* material = node.Material();
    ASSERT_NE(material, nullptr);
    EXPECT_STREQ(material->GetName().data(), "walls\\brick");
    auto* bitmap = dynamic_cast<BitmapTex*>(material->GetSubTexmap(kDiffuseSlot));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(material->GetSubTexmap(kOpacitySlot), bitmap) << "one bitmap serves diffuse and opacity";
    EXPECT_EQ(material->GetActiveTexmap(), bitmap);
    EXPECT_NE(material->GetMtlFlags() & kMtlShowTextureFlag, 0u);
    EXPECT_STREQ(bitmap->GetMapName(), "brick") << "no content root: the texture name as it stands";
    EXPECT_STREQ(bitmap->GetName().data(), "brick");
    EXPECT_TRUE(bitmap->GetAlphaAsMono());
}

TEST(BuildScene, ObjectNamesComeFromTheMaterialNameOrTheMeshIndex) {
    auto model = Triangles({"materials\\stone", "wood", "", "trailing\\", "a\\b\\c", "materials\\stone"});
    HostScene scene;
    BuildScene(*model, "", &scene);
    EXPECT_EQ(NodeNames(scene),
              (std::vector<std::string>{"stone", "object_01", "object_02", "", "c", "stone"}));
    EXPECT_NE(scene.Node(0).Material(), scene.Node(5).Material())
        << "equal names still get materials of their own";
    EXPECT_EQ(ObjectName("", 123), "object_123");
}

TEST(BuildScene, MeshWhoseObjectCannotBeMadeIsSkippedAndOthersKeepTheirIndexNames) {
    auto model = Triangles({"", "", ""});
    HostScene scene;
    SetTriObjectCreationFailures([](int call) { return call == 1; });
    BuildScene(*model, "", &scene);
    SetTriObjectCreationFailures({});
    EXPECT_EQ(NodeNames(scene), (std::vector<std::string>{"object_00", "object_02"}));
}

TEST(BuildScene, RefusedMaterialAssignmentLeavesTheNodeWithoutMaterialAndGoesOn) {
    for (HostSceneCall refused : {HostSceneCall::GetSceneNode, HostSceneCall::SetMaterial}) {
        auto model = Triangles({"x\\first", "x\\second"});
        HostScene scene;
        scene.SetFailures(refused, [](int call) { return call == 0; });
        EXPECT_EQ(BuildScene(*model, "", &scene), 1);
        ASSERT_EQ(scene.NodeCount(), 2);
        EXPECT_EQ(scene.Node(0).Material(), nullptr);
        EXPECT_NE(scene.Node(1).Material(), nullptr);
    }
}

}  // namespace
}  // namespace zenthor
