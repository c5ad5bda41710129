// Real imports through the loaded DLL into the host's scene, with the real settings
// dialog and summary message box played by a user script: the sample content tree, and
// a content tree written for the test into the temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "import/import_summary.h"
#include "plugin/resource.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor {
namespace {

using namespace test;

struct ExpectedNode {
    std::string name;
    std::string texture;  // below the content root
    int faces;
};

// The sample tree: two static boxes and a skinned quad in the model, a box in the
// referenced mesh file, and a level-of-detail box loaded only with "Include lods".
const std::vector<ExpectedNode> kSampleScene = {
    {"pedestal", "textures\\stone.2048.dds", 12},
    {"pillar", "textures\\stone.2048.dds", 12},
    {"banner", "textures\\cloth.512.dds", 2},
    {"crate", "textures\\crate.1024.dds", 12},
};

std::vector<ExpectedNode> SampleSceneWithLods() {
    std::vector<ExpectedNode> nodes = kSampleScene;
    nodes.push_back({"crate_lod1", "textures\\crate.1024.dds", 12});
    return nodes;
}

// What one DoImport did, as the host and the user saw it.
struct ImportOutcome {
    int result = -1;
    HWND mainWindow = nullptr;
    RECT mainRect{};
    std::vector<DialogSeen> dialogs;
    std::vector<std::string> summaries;
    std::vector<std::string> otherWindows;
};

// A fresh load of the plug-in (its setting starts false), an importer and a scene.
struct Host {
    LoadedPlugin plugin;
    std::unique_ptr<SceneImport> importer = plugin.NewImporter();
    HostScene scene;

    // One DoImport into `into` (by default the host's scene), the user playing `steps`.
    ImportOutcome Import(const std::string& file, std::vector<Step> steps, HostScene* into = nullptr) {
        ImportOutcome outcome;
        MainWindow mainWindow;
        EXPECT_EQ(GetActiveWindow(), mainWindow.Handle()) << "the host's main window is active";
        outcome.mainWindow = mainWindow.Handle();
        GetWindowRect(mainWindow.Handle(), &outcome.mainRect);
        UserScript script(std::move(steps));
        outcome.result = importer->DoImport(file.c_str(), into != nullptr ? into : &scene, nullptr, FALSE);
        outcome.dialogs = script.Dialogs();
        outcome.summaries = script.SummaryTexts();
        outcome.otherWindows = script.OtherWindows();
        return outcome;
    }
};

// The settings dialog was shown once, over the host's window, with the focus and mark it opens with.
void CheckSettingsDialog(const ImportOutcome& outcome, bool boxMarkedAtOpen) {
    EXPECT_TRUE(outcome.otherWindows.empty()) << "no other dialog was shown";
    ASSERT_EQ(outcome.dialogs.size(), 1u);
    const DialogSeen& dialog = outcome.dialogs[0];
    EXPECT_EQ(dialog.boxMarked, boxMarkedAtOpen) << "the box's mark when the dialog opens";
    EXPECT_EQ(dialog.firstFocusId, IDC_INCLUDE_LODS) << "the control with the focus at first";
    EXPECT_EQ(dialog.owner, outcome.mainWindow) << "the dialog's owner is the active window";
    const LONG dx = (dialog.rect.left + dialog.rect.right) - (outcome.mainRect.left + outcome.mainRect.right);
    const LONG dy = (dialog.rect.top + dialog.rect.bottom) - (outcome.mainRect.top + outcome.mainRect.bottom);
    EXPECT_TRUE(std::abs(dx) <= 2 && std::abs(dy) <= 2) << "the dialog is centred over the active window";
}

// The real message box shows the summary of these counts, once.
void CheckSummary(const ImportOutcome& outcome, int objects, int polygons) {
    EXPECT_EQ(outcome.summaries, std::vector<std::string>{FormatImportSummary(objects, polygons)});
}

// The parts of a node that the real file system decides: the texture file found.
void CheckNode(const HostNode& node, const std::string& contentRoot, const ExpectedNode& want) {
    EXPECT_EQ(std::string(node.Name()), want.name);
    ASSERT_NE(node.Object(), nullptr);
    EXPECT_EQ(node.Object()->GetMesh().getNumFaces(), want.faces);
    ASSERT_NE(node.Material(), nullptr);
    // Made in the plug-in DLL, recognised here through the host SDK DLL's own type.
    const auto* bitmap = dynamic_cast<const BitmapTex*>(node.Material()->GetSubTexmap(kDiffuseSlot));
    ASSERT_NE(bitmap, nullptr) << "a bitmap in the diffuse slot";
    EXPECT_EQ(std::string(bitmap->GetMapName()), contentRoot + want.texture);
}

void CheckScene(const HostScene& scene, const std::string& contentRoot,
                const std::vector<ExpectedNode>& expected) {
    EXPECT_EQ(scene.RedrawCount(), 1);
    ASSERT_EQ(scene.NodeCount(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("node " + std::to_string(i) + " (" + expected[i].name + ")");
        CheckNode(scene.Node(static_cast<int>(i)), contentRoot, expected[i]);
    }
}

void CheckNothingImported(const ImportOutcome& outcome, const HostScene& scene) {
    EXPECT_TRUE(outcome.summaries.empty());
    EXPECT_EQ(scene.CreatedNodeCount(), 0);
    EXPECT_EQ(scene.RedrawCount(), 0);
}

// Enter and Escape reach the dialog as IDOK and IDCANCEL, and it stays open for the
// clicks. The file is picked with forward slashes: the content root is still found, with
// backslashes.
TEST(Import, EnterAndEscapeAreIgnoredAndTheBoxAddsTheLods) {
    std::string sample = g_environment.samplesContent + "models\\sample.model";
    std::replace(sample.begin(), sample.end(), '\\', '/');
    Host host;
    const ImportOutcome outcome =
        host.Import(sample, {Step::Enter, Step::Escape, Step::ClickBox, Step::ClickLetsGo});
    EXPECT_EQ(outcome.result, 1);
    CheckSettingsDialog(outcome, false);
    EXPECT_EQ(outcome.dialogs.at(0).commands,
              (std::vector<int>{IDOK, IDCANCEL, IDC_INCLUDE_LODS, IDC_LETS_GO}));
    CheckSummary(outcome, 5, 50);
    CheckScene(host.scene, g_environment.samplesContent, SampleSceneWithLods());
}

TEST(Import, ClosingTheDialogImportsNothingButKeepsTheClickUntilUnload) {
    const std::string sample = g_environment.samplesContent + "models\\sample.model";
    {
        Host host;
        HostScene closedScene;
        const ImportOutcome closed = host.Import(sample, {Step::ClickBox, Step::Close}, &closedScene);
        EXPECT_EQ(closed.result, 1);
        CheckSettingsDialog(closed, false);
        CheckNothingImported(closed, closedScene);

        // The next import on the same load opens with the box marked and includes the lods.
        const ImportOutcome next = host.Import(sample, {Step::ClickLetsGo});
        EXPECT_EQ(next.result, 1);
        CheckSettingsDialog(next, true);
        CheckSummary(next, 5, 50);
        CheckScene(host.scene, g_environment.samplesContent, SampleSceneWithLods());
    }
    // Unloaded and loaded again, the library starts with the setting false.
    Host reloaded;
    const ImportOutcome outcome = reloaded.Import(sample, {Step::ClickLetsGo});
    CheckSettingsDialog(outcome, false);
    CheckSummary(outcome, 4, 38);
    CheckScene(reloaded.scene, g_environment.samplesContent, kSampleScene);
}

// Files that the system's own calls fail to find: the model, or only its mesh file.
TEST(Import, MissingFilesGiveZeroWithoutAMessage) {
    test::TempContentTree content;
    const std::string cases[] = {
        content.Path("models\\missing.model"),
        content.Write("models\\lost.model", {test::MeshRefsChunk({"nowhere"})}),
    };
    Host host;
    for (const std::string& file : cases) {
        SCOPED_TRACE(file);
        HostScene scene;
        const ImportOutcome outcome = host.Import(file, {Step::ClickLetsGo}, &scene);
        EXPECT_EQ(outcome.result, 0);
        CheckSettingsDialog(outcome, false);
        CheckNothingImported(outcome, scene);
    }
}

}  // namespace
}  // namespace zenthor
