// Real imports through the loaded DLL into the host's scene, with the real settings
// dialog and summary message box played by a user script: the sample content tree, and
// content trees written for the test into the temporary folder.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "plugin/resource.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_library.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor::wintest {
namespace {

struct ExpectedNode {
    std::string name;
    std::string material;
    std::string texture;  // below the content root
    int faces;
};

// The sample tree: two static boxes and a skinned quad in the model, a box in the
// referenced mesh file, and a level-of-detail box loaded only with "Include lods".
const std::vector<ExpectedNode> kSampleScene = {
    {"pedestal", "props\\pedestal", "textures\\stone.2048.dds", 12},
    {"pillar", "props\\pillar", "textures\\stone.2048.dds", 12},
    {"banner", "props\\banner", "textures\\cloth.512.dds", 2},
    {"crate", "props\\crate", "textures\\crate.1024.dds", 12},
};

std::vector<ExpectedNode> SampleSceneWithLods() {
    std::vector<ExpectedNode> nodes = kSampleScene;
    nodes.push_back({"crate_lod1", "props\\crate_lod1", "textures\\crate.1024.dds", 12});
    return nodes;
}

std::string Summary(const char* objects, int polygons) {
    return std::string("Imported OK!\nImported objects : ") + objects +
           "\nTotal polygons count : " + std::to_string(polygons) +
           "\n===============================\nThanks to Marlow, Tessaly";
}

// What one DoImport did, as the host and the user saw it.
struct ImportOutcome {
    int result = -1;
    HWND mainWindow = nullptr;
    RECT mainRect{};
    std::vector<DialogSeen> dialogs;
    std::vector<MessageBoxSeen> messageBoxes;
    std::vector<std::string> otherWindows;
};

// A fresh load of the plug-in (its setting starts false), an importer and a scene.
struct Host {
    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    HostScene scene;

    // One DoImport into `into` (by default the host's scene), the user playing `steps`.
    ImportOutcome Import(const std::string& file, std::vector<Step> steps, HostScene* into = nullptr) {
        ImportOutcome outcome;
        MainWindow mainWindow;
        Require(GetActiveWindow() == mainWindow.Handle(), "the host's main window is active");
        outcome.mainWindow = mainWindow.Handle();
        GetWindowRect(mainWindow.Handle(), &outcome.mainRect);
        UserScript script(std::move(steps));
        outcome.result = importer->DoImport(file.c_str(), into != nullptr ? into : &scene, nullptr, FALSE);
        outcome.dialogs = script.Dialogs();
        outcome.messageBoxes = script.MessageBoxes();
        outcome.otherWindows = script.OtherWindows();
        return outcome;
    }
};

// The settings dialog was shown once, as the template lays it out, over the host's window.
void CheckSettingsDialog(const ImportOutcome& outcome, bool boxMarkedAtOpen) {
    Expect(outcome.otherWindows.empty(), "no other dialog was shown");
    if (!ExpectEq(outcome.dialogs.size(), 1u, "settings dialogs shown")) return;
    const DialogSeen& dialog = outcome.dialogs[0];
    ExpectEq(dialog.boxText, "Include lods", "the box's text");
    ExpectEq(dialog.buttonText, "Lets GO !", "the button's text");
    ExpectEq(dialog.boxMarked, boxMarkedAtOpen, "the box's mark when the dialog opens");
    ExpectEq(dialog.firstFocusId, IDC_INCLUDE_LODS, "the control with the focus at first");
    Expect(dialog.owner == outcome.mainWindow, "the dialog's owner is the active window");
    const LONG dx = (dialog.rect.left + dialog.rect.right) - (outcome.mainRect.left + outcome.mainRect.right);
    const LONG dy = (dialog.rect.top + dialog.rect.bottom) - (outcome.mainRect.top + outcome.mainRect.bottom);
    Expect(std::abs(dx) <= 2 && std::abs(dy) <= 2, "the dialog is centred over the active window");
}

void CheckSummary(const ImportOutcome& outcome, const std::string& text) {
    if (!ExpectEq(outcome.messageBoxes.size(), 1u, "summary message boxes shown")) return;
    const MessageBoxSeen& box = outcome.messageBoxes[0];
    ExpectEq(box.title, "Zenthor Model Importer (by Brindle)", "summary title");
    ExpectEq(box.text, text, "summary text");
    Expect(box.buttonIds == std::vector<int>{IDOK}, "the summary has one button, OK");
    Expect(box.informationIcon, "the summary shows the information icon");
    Expect(box.owner == nullptr, "the summary is owned by no window");
}

void CheckScene(const HostScene& scene, const std::string& contentRoot,
                const std::vector<ExpectedNode>& expected) {
    ExpectEq(scene.RedrawCount(), 1, "redraws");
    if (!ExpectEq(scene.NodeCount(), static_cast<int>(expected.size()), "nodes in the scene")) return;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        const HostNode& node = scene.Node(i);
        const ExpectedNode& want = expected[static_cast<std::size_t>(i)];
        const std::string where = "node " + std::to_string(i) + " (" + want.name + ")";
        ExpectEq(std::string(node.Name()), want.name, where + ": name");
        Expect(node.HasTransform(0) && node.Transform(0).IsIdentity(), where + ": identity transform");
        if (Expect(node.Object() != nullptr, where + ": has its object")) {
            ExpectEq(node.Object()->GetMesh().getNumFaces(), want.faces, where + ": faces");
        }
        const Mtl* material = node.Material();
        if (!Expect(material != nullptr, where + ": has its material")) continue;
        ExpectEq(std::string(material->GetName().data()), want.material, where + ": material name");
        const auto* bitmap = dynamic_cast<const BitmapTex*>(material->GetSubTexmap(kDiffuseSlot));
        if (!Expect(bitmap != nullptr, where + ": a bitmap in the diffuse slot")) continue;
        Expect(material->GetSubTexmap(kOpacitySlot) == bitmap && material->GetActiveTexmap() == bitmap,
               where + ": the same bitmap in the opacity slot and as the active map");
        ExpectEq(std::string(bitmap->GetMapName()), contentRoot + want.texture, where + ": texture file");
        ExpectEq(std::string(bitmap->GetName().data()), contentRoot + want.texture, where + ": texture name");
        Expect(bitmap->GetAlphaAsMono() == TRUE, where + ": alpha as mono");
        Expect(material->TestMtlFlag(kMtlShowTextureFlag) == TRUE,
               where + ": texture shown in the viewports");
    }
}

void CheckNothingImported(const ImportOutcome& outcome, const HostScene& scene) {
    Expect(outcome.messageBoxes.empty(), "no message box");
    ExpectEq(scene.CreatedNodeCount(), 0, "nodes created");
    ExpectEq(scene.RedrawCount(), 0, "redraws");
}

WINDOWS_TEST(SampleContentImportsAsTheDialogChose) {
    const struct {
        const char* name;
        const char* file;  // below samples\content
        std::vector<Step> steps;
        std::vector<ExpectedNode> scene;
        std::string summary;
    } cases[] = {
        {"Lets GO untouched", "models\\sample.model", {Step::ClickLetsGo}, kSampleScene, Summary("04", 38)},
        {"box, then Lets GO",
         "models\\sample.model",
         {Step::ClickBox, Step::ClickLetsGo},
         SampleSceneWithLods(),
         Summary("05", 50)},
        {"box twice, then Lets GO",
         "models\\sample.model",
         {Step::ClickBox, Step::ClickBox, Step::ClickLetsGo},
         kSampleScene,
         Summary("04", 38)},
        // Had Enter or Escape ended the dialog, the box would not have been clicked.
        {"Enter and Escape are ignored",
         "models\\sample.model",
         {Step::Enter, Step::Escape, Step::ClickBox, Step::ClickLetsGo},
         SampleSceneWithLods(),
         Summary("05", 50)},
        {"a mesh file on its own",
         "meshes\\crate.mesh",
         {Step::ClickLetsGo},
         {kSampleScene[3]},
         Summary("01", 12)},
    };
    for (const auto& c : cases) {
        std::printf("  case: %s\n", c.name);
        Host host;
        const ImportOutcome outcome = host.Import(g_environment.samplesContent + c.file, c.steps);
        ExpectEq(outcome.result, 1, "DoImport");
        CheckSettingsDialog(outcome, false);
        CheckSummary(outcome, c.summary);
        CheckScene(host.scene, g_environment.samplesContent, c.scene);
    }
}

WINDOWS_TEST(ClosingTheDialogImportsNothingButKeepsTheClickUntilUnload) {
    const std::string sample = g_environment.samplesContent + "models\\sample.model";
    {
        Host host;
        HostScene closedScene;
        const ImportOutcome closed = host.Import(sample, {Step::ClickBox, Step::Close}, &closedScene);
        ExpectEq(closed.result, 1, "DoImport after the close button");
        CheckSettingsDialog(closed, false);
        CheckNothingImported(closed, closedScene);

        // The next import on the same load opens with the box marked and includes the lods.
        const ImportOutcome next = host.Import(sample, {Step::ClickLetsGo});
        ExpectEq(next.result, 1, "DoImport");
        CheckSettingsDialog(next, true);
        CheckSummary(next, Summary("05", 50));
        CheckScene(host.scene, g_environment.samplesContent, SampleSceneWithLods());
    }
    // Unloaded and loaded again, the library starts with the setting false.
    Host reloaded;
    const ImportOutcome outcome = reloaded.Import(sample, {Step::ClickLetsGo});
    CheckSettingsDialog(outcome, false);
    CheckSummary(outcome, Summary("04", 38));
}

WINDOWS_TEST(FailedLoadsReturnZeroWithoutAMessage) {
    test::TempContentTree content;
    const std::string cases[] = {
        content.Path("models\\missing.model"),
        content.Write("models\\meshless.model", {test::TextureAliasesChunk("a=b")}),
        content.Write("models\\lost.model", {test::MeshRefsChunk({"nowhere"})}),  // a missing mesh file only
    };
    Host host;
    for (const std::string& file : cases) {
        std::printf("  case: %s\n", file.c_str());
        HostScene scene;
        const ImportOutcome outcome = host.Import(file, {Step::ClickLetsGo}, &scene);
        ExpectEq(outcome.result, 0, "DoImport");
        CheckSettingsDialog(outcome, false);
        CheckNothingImported(outcome, scene);
    }
}

WINDOWS_TEST(ReferencedMeshIsFoundThroughTheContentRoot) {
    // The model holds no mesh of its own: the import succeeds only when the reference
    // is found at <content root>\meshes\walls\brick.mesh, and the texture at its 1024 name.
    test::TempContentTree content;
    const float origin[3] = {0, 0, 0};
    content.Write("meshes\\walls\\brick.mesh", {test::MeshesChunk({test::MeshEntry(test::BoxMesh(
                                                   "walls\\brick", "props\\brick_wall", 1.0f, origin))})});
    content.Write("textures\\walls\\brick.1024.dds", test::Bytes{'D', 'D', 'S', ' '});
    // Picked with forward slashes: the content root is still found, with backslashes.
    std::string file = content.Write("models\\town\\house.model", {test::MeshRefsChunk({"walls\\brick"})});
    std::replace(file.begin(), file.end(), '\\', '/');
    std::string contentRoot = content.Root().string() + "\\";
    std::replace(contentRoot.begin(), contentRoot.end(), '/', '\\');

    Host host;
    const ImportOutcome outcome = host.Import(file, {Step::ClickLetsGo});
    ExpectEq(outcome.result, 1, "DoImport");
    CheckSummary(outcome, Summary("01", 12));
    CheckScene(host.scene, contentRoot,
               {{"brick_wall", "props\\brick_wall", "textures\\walls\\brick.1024.dds", 12}});
}

}  // namespace
}  // namespace zenthor::wintest
