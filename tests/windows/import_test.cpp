// Real imports through the loaded DLL into the host's scene, with the real settings
// dialog and summary message box played by a user script: the sample content tree, and
// content trees written for the test into the temporary folder.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "plugin/resource.h"
#include "tests/support/model_writer.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_library.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor::wintest {
namespace {

using test::Chunk;

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
const ExpectedNode kSampleLod = {"crate_lod1", "props\\crate_lod1", "textures\\crate.1024.dds", 12};

std::vector<ExpectedNode> SampleSceneWithLods() {
    std::vector<ExpectedNode> nodes = kSampleScene;
    nodes.push_back(kSampleLod);
    return nodes;
}

const char kSampleSummary[] =
    "Imported OK!\nImported objects : 04\nTotal polygons count : 38\n"
    "===============================\nThanks to Marlow, Tessaly";
const char kSampleWithLodsSummary[] =
    "Imported OK!\nImported objects : 05\nTotal polygons count : 50\n"
    "===============================\nThanks to Marlow, Tessaly";

// A content tree in a new folder below the temporary folder, removed with the object.
class TempContent {
public:
    TempContent() {
        char temp[MAX_PATH] = {};
        Require(GetTempPathA(MAX_PATH, temp) != 0, "GetTempPathA");
        for (int attempt = 0; m_base.empty(); ++attempt) {
            Require(attempt < 100, "a new temporary folder");
            const std::string candidate = std::string(temp) + "zenthor-" +
                                          std::to_string(GetCurrentProcessId()) + "-" +
                                          std::to_string(GetTickCount() + attempt);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) m_base = candidate;
        }
        m_root = m_base + "\\content\\";
        CreateDirectoryA(m_root.c_str(), nullptr);
    }
    ~TempContent() {
        std::error_code ignored;
        std::filesystem::remove_all(m_base, ignored);
    }
    TempContent(const TempContent&) = delete;
    TempContent& operator=(const TempContent&) = delete;

    // The content root: the folder "content" with its trailing backslash.
    const std::string& Root() const { return m_root; }

    std::string Write(const std::string& relative, const test::Bytes& bytes) const {
        const std::string path = m_root + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        Require(out.good(), "writing " + path);
        return path;
    }

private:
    std::string m_base;
    std::string m_root;
};

// What one DoImport did, as the host and the user saw it.
struct ImportOutcome {
    int result = -1;
    HWND mainWindow = nullptr;
    RECT mainRect{};
    std::vector<DialogSeen> dialogs;
    std::vector<MessageBoxSeen> messageBoxes;
    std::vector<std::string> otherWindows;
};

ImportOutcome Import(SceneImport& importer, HostScene& scene, const std::string& file,
                     std::vector<Step> steps) {
    ImportOutcome outcome;
    MainWindow mainWindow;
    Require(GetActiveWindow() == mainWindow.Handle(), "the host's main window is active");
    outcome.mainWindow = mainWindow.Handle();
    GetWindowRect(mainWindow.Handle(), &outcome.mainRect);
    UserScript script(std::move(steps));
    outcome.result = importer.DoImport(file.c_str(), &scene, nullptr, FALSE);
    outcome.dialogs = script.Dialogs();
    outcome.messageBoxes = script.MessageBoxes();
    outcome.otherWindows = script.OtherWindows();
    return outcome;
}

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

struct SampleCase {
    const char* name;
    const char* file;  // below samples\content
    std::vector<Step> steps;
    std::vector<ExpectedNode> scene;
    const char* summary;
};

WINDOWS_TEST(SampleContentImportsAsTheDialogChose) {
    const std::vector<ExpectedNode> crateOnly = {kSampleScene[3]};
    const SampleCase cases[] = {
        {"Lets GO untouched", "models\\sample.model", {Step::ClickLetsGo}, kSampleScene, kSampleSummary},
        {"box, then Lets GO",
         "models\\sample.model",
         {Step::ClickBox, Step::ClickLetsGo},
         SampleSceneWithLods(),
         kSampleWithLodsSummary},
        {"box twice, then Lets GO",
         "models\\sample.model",
         {Step::ClickBox, Step::ClickBox, Step::ClickLetsGo},
         kSampleScene,
         kSampleSummary},
        // Had Enter or Escape ended the dialog, the box would not have been clicked.
        {"Enter and Escape are ignored",
         "models\\sample.model",
         {Step::Enter, Step::Escape, Step::ClickBox, Step::ClickLetsGo},
         SampleSceneWithLods(),
         kSampleWithLodsSummary},
        {"a mesh file on its own",
         "meshes\\crate.mesh",
         {Step::ClickLetsGo},
         crateOnly,
         "Imported OK!\nImported objects : 01\nTotal polygons count : 12\n"
         "===============================\nThanks to Marlow, Tessaly"},
    };
    for (const SampleCase& c : cases) {
        std::printf("  case: %s\n", c.name);
        PluginLibrary plugin;  // each case from a fresh load: the setting starts false
        HostScene scene;
        ImporterPointer importer = CreateImporter(plugin.ImporterClass());
        const ImportOutcome outcome =
            Import(*importer, scene, Environment().samplesContent + c.file, c.steps);
        ExpectEq(outcome.result, 1, "DoImport");
        CheckSettingsDialog(outcome, false);
        CheckSummary(outcome, c.summary);
        CheckScene(scene, Environment().samplesContent, c.scene);
    }
}

WINDOWS_TEST(ClosingTheDialogImportsNothingButKeepsTheClickUntilUnload) {
    const std::string sample = Environment().samplesContent + "models\\sample.model";
    {
        PluginLibrary plugin;
        ImporterPointer importer = CreateImporter(plugin.ImporterClass());
        HostScene closedScene;
        const ImportOutcome closed = Import(*importer, closedScene, sample, {Step::ClickBox, Step::Close});
        ExpectEq(closed.result, 1, "DoImport after the close button");
        CheckSettingsDialog(closed, false);
        CheckNothingImported(closed, closedScene);

        // The next import on the same load opens with the box marked and includes the lods.
        HostScene scene;
        const ImportOutcome next = Import(*importer, scene, sample, {Step::ClickLetsGo});
        ExpectEq(next.result, 1, "DoImport");
        CheckSettingsDialog(next, true);
        CheckSummary(next, kSampleWithLodsSummary);
        CheckScene(scene, Environment().samplesContent, SampleSceneWithLods());
    }
    // Unloaded and loaded again, the library starts with the setting false.
    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    HostScene scene;
    const ImportOutcome reloaded = Import(*importer, scene, sample, {Step::ClickLetsGo});
    CheckSettingsDialog(reloaded, false);
    CheckSummary(reloaded, kSampleSummary);
}

// A static triangle whose three corners are used `count` times over.
test::MeshDesc Triangles(int count, const std::string& material) {
    test::MeshDesc mesh = test::TriangleMesh("stone", material);
    mesh.indices.clear();
    for (int i = 0; i < count; ++i) mesh.indices.insert(mesh.indices.end(), {0, 1, 2});
    return mesh;
}

WINDOWS_TEST(FailedLoadsReturnZeroWithoutAMessage) {
    TempContent content;
    const std::string meshless = content.Write("models\\meshless.model", test::Serialize({
                                                                             test::TextureAliasesChunk("a=b"),
                                                                         }));
    const std::string onlyMissingReference =
        content.Write("models\\lost.model", test::Serialize({test::MeshRefsChunk({"nowhere"})}));
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"a missing file", content.Root() + "models\\missing.model"},
        {"a file without meshes", meshless},
        {"a reference to a missing mesh file only", onlyMissingReference},
    };
    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    for (const auto& c : cases) {
        std::printf("  case: %s\n", c.name);
        HostScene scene;
        const ImportOutcome outcome = Import(*importer, scene, c.file, {Step::ClickLetsGo});
        ExpectEq(outcome.result, 0, "DoImport");
        CheckSettingsDialog(outcome, false);
        CheckNothingImported(outcome, scene);
    }
}

WINDOWS_TEST(SummaryCountsObjectsAndPolygonsOfTheModel) {
    TempContent content;
    std::vector<Chunk> entries;
    const int triangles[] = {300, 30, 3, 3, 3, 3, 3};
    for (int i = 0; i < 7; ++i) {
        entries.push_back(test::MeshEntry(Triangles(triangles[i], "fixtures\\part" + std::to_string(i))));
    }
    const std::string file =
        content.Write("models\\seven.model", test::Serialize({test::MeshesChunk(entries)}));

    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    HostScene scene;
    const ImportOutcome outcome = Import(*importer, scene, file, {Step::ClickLetsGo});
    ExpectEq(outcome.result, 1, "DoImport");
    CheckSummary(outcome,
                 "Imported OK!\nImported objects : 07\nTotal polygons count : 345\n"
                 "===============================\nThanks to Marlow, Tessaly");
    ExpectEq(scene.NodeCount(), 7, "nodes in the scene");
}

WINDOWS_TEST(ReferencedMeshIsFoundThroughTheContentRoot) {
    // The model holds no mesh of its own: the import succeeds only when the reference
    // is found at <content root>\meshes\walls\brick.mesh, and the texture at its 1024 name.
    TempContent content;
    const float origin[3] = {0, 0, 0};
    content.Write("meshes\\walls\\brick.mesh",
                  test::Serialize({test::MeshesChunk(
                      {test::MeshEntry(test::BoxMesh("walls\\brick", "props\\brick_wall", 1.0f, origin))})}));
    content.Write("textures\\walls\\brick.1024.dds", test::Bytes{'D', 'D', 'S', ' '});
    std::string file =
        content.Write("models\\town\\house.model", test::Serialize({test::MeshRefsChunk({"walls\\brick"})}));
    // Picked with forward slashes: the content root is still found, with backslashes.
    for (char& c : file) {
        if (c == '\\') c = '/';
    }

    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    HostScene scene;
    const ImportOutcome outcome = Import(*importer, scene, file, {Step::ClickLetsGo});
    ExpectEq(outcome.result, 1, "DoImport");
    CheckSummary(outcome,
                 "Imported OK!\nImported objects : 01\nTotal polygons count : 12\n"
                 "===============================\nThanks to Marlow, Tessaly");
    CheckScene(scene, content.Root(),
               {{"brick_wall", "props\\brick_wall", "textures\\walls\\brick.1024.dds", 12}});
}

}  // namespace
}  // namespace zenthor::wintest
