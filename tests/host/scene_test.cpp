// The host scene: what an importer builds can be walked afterwards, every
// object made on any path is owned by someone (the sanitizer build checks
// for leaks), and the test hooks make host calls fail.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"

namespace {

// What an importer does for one object, with the material assignment guarded.
ImportNode* BuildObject(HostScene& scene, const std::string& name, bool add = true) {
    TriObject* object = CreateNewTriObject();
    ImportNode* node = scene.CreateNode();
    Matrix3 tm;
    tm.IdentityMatrix();
    node->AttachObject(object);
    node->SetTransform(0, tm);
    node->SetName(name.c_str());
    BitmapTex* bitmap = NewDefaultBitmapTex();
    bitmap->SetMapName(("tex_" + name).c_str());
    bitmap->SetAlphaAsMono(TRUE);
    StdMat2* material = NewDefaultStdMat();
    material->SetName(CStr(name.c_str()));
    material->SetSubTexmap(kDiffuseSlot, bitmap);
    material->SetSubTexmap(kOpacitySlot, bitmap);
    material->SetActiveTexmap(bitmap);
    material->SetMtlFlag(kMtlShowTextureFlag);
    try {
        node->GetSceneNode()->SetMaterial(material);
    } catch (...) {
    }
    if (add) {
        EXPECT_EQ(scene.AddNodeToScene(node), 1);
    }
    return node;
}

TEST(HostScene, WalksNodesInOrderWithTheirObjectsAndMaterials) {
    HostScene scene;
    std::string name = "first";
    BuildObject(scene, name);
    name = "changed";  // the node keeps its own copy
    BuildObject(scene, "second");
    scene.RedrawViews();

    ASSERT_EQ(scene.NodeCount(), 2);
    EXPECT_EQ(scene.RedrawCount(), 1);
    const HostNode& first = scene.Node(0);
    EXPECT_STREQ(first.Name(), "first");
    EXPECT_TRUE(first.Transform(0).IsIdentity());
    ASSERT_NE(first.Material(), nullptr);
    const Mtl& material = *first.Material();
    EXPECT_STREQ(material.GetName().data(), "first");
    auto* bitmap = dynamic_cast<BitmapTex*>(material.GetSubTexmap(kDiffuseSlot));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_STREQ(bitmap->GetMapName(), "tex_first");
    EXPECT_EQ(material.GetSubTexmap(0), nullptr);
    EXPECT_EQ(material.GetSubTexmap(kStdMatSlotCount), nullptr);
    EXPECT_STREQ(scene.Node(1).Name(), "second");
    EXPECT_NE(scene.Node(1).Object(), first.Object());
    EXPECT_THROW(scene.Node(2), std::out_of_range);
}

TEST(HostScene, AddNodeRefusesNullForeignAndRepeatedNodes) {
    HostScene scene;
    HostScene other;
    ImportNode* node = BuildObject(scene, "a");
    EXPECT_EQ(scene.AddNodeToScene(node), 0);
    EXPECT_EQ(scene.AddNodeToScene(nullptr), 0);
    EXPECT_EQ(scene.AddNodeToScene(other.CreateNode()), 0);
    EXPECT_EQ(scene.NodeCount(), 1);
}

TEST(HostScene, OwnsWhatWasNeverAssignedOrAdded) {
    HostScene scene;
    // A failing material assignment leaves the material and bitmap
    // unassigned; a node created but never added; a bare bitmap. None leaks.
    scene.SetFailures(HostSceneCall::SetMaterial, [](int call) { return call == 0; });
    scene.SetFailures(HostSceneCall::GetSceneNode, [](int call) { return call == 1; });
    ImportNode* failedMaterial = BuildObject(scene, "a");
    ImportNode* failedSceneNode = BuildObject(scene, "b");
    BuildObject(scene, "c", false);
    BitmapTex* lone = NewDefaultBitmapTex();
    EXPECT_TRUE(scene.Owns(lone));

    EXPECT_EQ(scene.NodeCount(), 2);
    EXPECT_EQ(scene.CreatedNodeCount(), 3);
    EXPECT_EQ(static_cast<HostNode*>(failedMaterial)->Material(), nullptr);
    EXPECT_EQ(static_cast<HostNode*>(failedSceneNode)->Material(), nullptr);
    scene.SetFailures(HostSceneCall::SetMaterial, [](int) { return true; });
    EXPECT_THROW(failedMaterial->GetSceneNode()->SetMaterial(nullptr), std::runtime_error);
}

TEST(HostScene, ObjectsMadeOutsideAScene) {
    // Made with no current scene: the maker's, until handed to a scene,
    // which then takes the material's maps too.
    std::unique_ptr<TriObject> kept(CreateNewTriObject());
    StdMat2* material = NewDefaultStdMat();
    BitmapTex* bitmap = NewDefaultBitmapTex();
    material->SetSubTexmap(kDiffuseSlot, bitmap);
    TriObject* object = CreateNewTriObject();
    {
        HostScene scene;
        EXPECT_FALSE(scene.Owns(kept.get()));
        ImportNode* node = scene.CreateNode();
        node->AttachObject(object);
        node->GetSceneNode()->SetMaterial(material);
        EXPECT_TRUE(scene.Owns(object));
        EXPECT_TRUE(scene.Owns(bitmap));
        BitmapTex* later = new BitmapTex();  // put into an owned material: owned
        material->SetActiveTexmap(later);
        EXPECT_TRUE(scene.Owns(later));
    }
    EXPECT_EQ(HostScene::Current(), nullptr);
}

TEST(HostScene, LatestLiveSceneIsCurrent) {
    auto outer = std::make_unique<HostScene>();
    {
        HostScene inner;
        EXPECT_EQ(HostScene::Current(), &inner);
        TriObject* object = CreateNewTriObject();
        EXPECT_TRUE(inner.Owns(object));
        outer->CreateNode()->AttachObject(object);  // stays with inner
        EXPECT_FALSE(outer->Owns(object));
    }
    EXPECT_EQ(HostScene::Current(), outer.get());
}

TEST(HostScene, UnsetTransformAndNullNameReadBack) {
    HostScene scene;
    ImportNode* node = scene.CreateNode();
    node->SetName(nullptr);
    scene.AddNodeToScene(node);
    const HostNode& walked = scene.Node(0);
    EXPECT_STREQ(walked.Name(), "");
    EXPECT_FALSE(walked.HasTransform(0));
    EXPECT_FALSE(walked.Transform(0).IsIdentity());
    EXPECT_EQ(walked.Object(), nullptr);
}

}  // namespace
