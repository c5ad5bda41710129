// The library's exports, class descriptor and importer, as a host meets them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/scripted_ui_backend.h"
#include "plugin/mesh_import_class_desc.h"
#include "tests/support/plugin_library.h"

namespace zenthor {
namespace {

using test::PluginLibrary;

TEST(PluginLibrary, ExportsDescribeOneImporterClass) {
    PluginLibrary library(ZENTHOR_PLUGIN_PATH);
    EXPECT_EQ(library.Find<int()>("LibNumberClasses")(), 1);
    EXPECT_EQ(library.Find<DWORD()>("LibVersion")(), 0x23281500u);
    EXPECT_EQ(library.Find<int()>("LibInitialize")(), 1);
    EXPECT_EQ(library.Find<int()>("LibShutdown")(), 1);

    auto* classDesc = library.Find<ClassDesc*(int)>("LibClassDesc");
    ClassDesc* descriptor = classDesc(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(classDesc(0), descriptor) << "one descriptor for the life of the library";
    EXPECT_EQ(classDesc(1), nullptr);
    EXPECT_EQ(classDesc(-1), nullptr);

    EXPECT_EQ(descriptor->IsPublic(), 1);
    EXPECT_EQ(descriptor->SuperClassID(), kSceneImportClassId);
    EXPECT_EQ(descriptor->HInstance(), library.Handle())
        << "the entry function keeps the module handle at load";
}

TEST(PluginLibrary, ExportsNothingButItsSixEntryPoints) {
    PluginLibrary library(ZENTHOR_PLUGIN_PATH);
    for (const char* name : {"LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion",
                             "LibInitialize", "LibShutdown"}) {
        EXPECT_NE(library.Export(name), nullptr) << name;
    }
    for (const char* name : {"DllMain", "_ZN7zenthor17GetMeshImportDescEv", "_ZN7zenthor9GetStringEi",
                             "ImportSettingsDlgProc", "includeLodsSetting"}) {
        EXPECT_EQ(library.Export(name), nullptr) << name;
    }
}

TEST(PluginLibrary, ClassNameAndCategoryShareOneStringBuffer) {
    PluginLibrary library(ZENTHOR_PLUGIN_PATH);
    ClassDesc* descriptor = library.Descriptor();
    const char* className = descriptor->ClassName();
    ASSERT_NE(className, nullptr);
    const std::string name = className;
    const char* category = descriptor->Category();
    ASSERT_NE(category, nullptr);
    EXPECT_NE(category, name);
    EXPECT_STREQ(className, category) << "a later call overwrites the shared buffer";
}

// Its description, name, category, class id, file types and the texts describing them are
// what `zenthor plugins` lists, and are checked there.
TEST(PluginLibrary, CreatedImporterShowsNoAboutBoxAndLeavesZoomToTheHost) {
    PluginLibrary library(ZENTHOR_PLUGIN_PATH);
    platform::ScriptedUiBackend backend;
    platform::ScopedUiBackend installed(backend);

    const std::unique_ptr<SceneImport> importer = library.NewImporter();
    ASSERT_NE(importer, nullptr);
    EXPECT_EQ(importer->ZoomExtents(), -1);
    importer->ShowAbout(nullptr);
    EXPECT_TRUE(backend.Views().empty());
    EXPECT_TRUE(backend.MessageBoxes().empty()) << "no about box";
}

// Linked in directly, so the module handle stays null: texts from the string table are
// missing, the fixed internal name is not.
TEST(PluginLibrary, WithoutItsStringTableOnlyTheInternalNameRemains) {
    MeshImportClassDesc* descriptor = GetMeshImportDesc();
    EXPECT_STREQ(descriptor->InternalName(), "MeshImport");
    EXPECT_EQ(descriptor->ClassName(), nullptr);
    EXPECT_EQ(descriptor->Category(), nullptr);
}

}  // namespace
}  // namespace zenthor
