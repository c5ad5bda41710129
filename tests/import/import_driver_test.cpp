// Whole imports through the library's importer object into the host's scene.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "allocation_failure.h"
#include "host/host_scene.h"
#include "host/scene_import.h"
#include "import/import_summary.h"
#include "platform/scripted_ui_backend.h"
#include "plugin/resource.h"
#include "tests/support/plugin_library.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using platform::ScriptedUiBackend;
using platform::UiAction;
using test::MeshDesc;
using test::PluginLibrary;
using test::TempContentTree;

// One loaded library and one importer for a test; every import gets a fresh scene.
class ImportDriver : public ::testing::Test {
protected:
    ImportDriver() : m_library(ZENTHOR_PLUGIN_PATH), m_importer(m_library.NewImporter()) {}

    struct Outcome {
        int result = 0;
        std::unique_ptr<ScriptedUiBackend> backend;
        std::unique_ptr<HostScene> scene;
    };

    Outcome Import(const std::string& path, std::vector<UiAction> actions) {
        Outcome outcome;
        outcome.backend = std::make_unique<ScriptedUiBackend>(std::move(actions));
        outcome.scene = std::make_unique<HostScene>();
        platform::ScopedUiBackend installed(*outcome.backend);
        outcome.result = m_importer->DoImport(path.c_str(), outcome.scene.get(), nullptr, FALSE);
        return outcome;
    }
    Outcome ImportWithLetsGo(const std::string& path) { return Import(path, {UiAction::Click(IDC_LETS_GO)}); }

    PluginLibrary m_library;
    std::unique_ptr<SceneImport> m_importer;
};

// Seven meshes of 300, 30 and five times 3 stored triangles (one triangle, repeated).
std::string SevenMeshModel(TempContentTree& tree) {
    std::vector<test::Chunk> entries;
    for (int triangles : {300, 30, 3, 3, 3, 3, 3}) {
        MeshDesc mesh = test::TriangleMesh("t", "");
        for (int t = 1; t < triangles; ++t) mesh.indices.insert(mesh.indices.end(), {0, 1, 2});
        entries.push_back(test::MeshEntry(mesh));
    }
    return tree.Write("models/seven.model", {test::MeshesChunk(std::move(entries))});
}

// A model whose only mesh is a level-of-detail file, so the setting decides the outcome.
std::string LodOnlyModel(TempContentTree& tree) {
    tree.Write("meshes/rock_lod1.mesh",
               {test::MeshesChunk({test::MeshEntry(test::TriangleMesh("rock", "rocks\\rock"))})});
    return tree.Write("models/lod.model", {test::MeshRefsChunk({"rock_lod1"})});
}

TEST_F(ImportDriver, SummaryCountsObjectsAndStoredTriangles) {
    TempContentTree tree;
    Outcome outcome = ImportWithLetsGo(SevenMeshModel(tree));
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.scene->NodeCount(), 7);
    EXPECT_EQ(outcome.scene->RedrawCount(), 1);
    ASSERT_EQ(outcome.backend->MessageBoxes().size(), 1u);
    const platform::MessageBoxView& box = outcome.backend->MessageBoxes()[0];
    EXPECT_EQ(box.title, kImportSummaryTitle);
    EXPECT_EQ(box.text, FormatImportSummary(7, 345));
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.owner, nullptr);
}

// A closed dialog ends the import with 1, a failed load with 0; neither touches the scene
// or shows a message.
TEST_F(ImportDriver, ClosedDialogOrFailedLoadImportsNothing) {
    TempContentTree tree;
    const struct {
        std::string path;
        UiAction action;
        int result;
    } cases[] = {
        {SevenMeshModel(tree), UiAction::Close(), 1},
        {tree.Path("models/missing.model"), UiAction::Click(IDC_LETS_GO), 0},
        {tree.Write("models/empty.model", {test::TextureAliasesChunk("a=b")}), UiAction::Click(IDC_LETS_GO),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Outcome outcome = Import(c.path, {c.action});
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.scene->CreatedNodeCount(), 0);
        EXPECT_EQ(outcome.scene->RedrawCount(), 0);
        EXPECT_TRUE(outcome.backend->MessageBoxes().empty());
    }
}

TEST_F(ImportDriver, IncludeLodsChoiceIsKeptAndShownByTheNextDialog) {
    TempContentTree tree;
    const std::string model = LodOnlyModel(tree);
    EXPECT_EQ(ImportWithLetsGo(model).result, 0) << "level-of-detail files are left out at first";

    Outcome marked = Import(model, {UiAction::Click(IDC_INCLUDE_LODS), UiAction::Click(IDC_LETS_GO)});
    EXPECT_EQ(marked.result, 1);
    EXPECT_EQ(marked.scene->NodeCount(), 1);

    Outcome again = ImportWithLetsGo(model);
    EXPECT_EQ(again.result, 1) << "the setting lasts while the library is loaded";
    ASSERT_FALSE(again.backend->Views().empty());
    EXPECT_EQ(again.backend->Views().front().FindControl(IDC_INCLUDE_LODS)->check, 1)
        << "the box opens showing the setting that will be used";

    // Clear the box again for the tests after this one.
    EXPECT_EQ(Import(model, {UiAction::Click(IDC_INCLUDE_LODS), UiAction::Close()}).result, 1);
}

TEST_F(ImportDriver, WithoutADialogTheImportRunsWithTheCurrentSetting) {
    TempContentTree tree;
    platform::NoUiBackend none;
    HostScene scene;
    platform::ScopedUiBackend installed(none);
    EXPECT_EQ(m_importer->DoImport(SevenMeshModel(tree).c_str(), &scene, nullptr, FALSE), 1);
    EXPECT_EQ(scene.NodeCount(), 7);
}

// The scripted backend, counting the message boxes it is asked to show, also one that it
// fails to record.
class CountingBackend : public ScriptedUiBackend {
public:
    using ScriptedUiBackend::ScriptedUiBackend;
    int asked = 0;

    int ShowMessageBox(const platform::MessageBoxView& box) override {
        ++asked;
        return ScriptedUiBackend::ShowMessageBox(box);
    }
};

// Every allocation of a whole import, failed one at a time: the import never crashes,
// (under the sanitizers) leaks nothing, and gives 1 exactly when it got as far as its
// summary. A dialog that cannot run leaves the setting as it is, and a summary that
// cannot be shown does not undo the import.
TEST_F(ImportDriver, FailedAllocationAnywhereEndsTheImportCleanly) {
    TempContentTree tree;
    const std::string model = tree.Write(
        "models/two.model", {test::MeshesChunk({test::MeshEntry(test::TriangleMesh("a", "m\\a")),
                                                test::MeshEntry(test::SkinnedQuadMesh("b", "m\\b"))})});
    for (long failing = 0;; ++failing) {
        SCOPED_TRACE(failing);
        CountingBackend backend({UiAction::Click(IDC_LETS_GO)});
        HostScene scene;
        platform::ScopedUiBackend installed(backend);
        test::ArmAllocationFailure(failing);
        const int result = m_importer->DoImport(model.c_str(), &scene, nullptr, FALSE);
        const bool failed = test::ArmAllocationFailure(-1) > failing;
        EXPECT_EQ(result, backend.asked);
        if (!failed) {
            EXPECT_GT(failing, 10) << "the sweep covered the import's allocations";
            break;
        }
    }
}

}  // namespace
}  // namespace zenthor
