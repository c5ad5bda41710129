// What an import left out, told through the host's log and reported by zenthor: one model
// with something of every kind left out, as text, as JSON and as exit statuses; every
// referenced file with what became of it; the content tree found from any path.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "tests/app/zenthor_process.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::HasSubstr;
using ::testing::Not;
using nlohmann::json;

// models/flawed.model: two objects on a missing texture, one of them with a triangle whose
// corner names no vertex and a degenerate one; a mesh entry whose index count lies; a
// missing reference, a level-of-detail one, one that comes back to its own file, one to a
// file of garbage and one to a folder.
struct FlawedTree {
    TempContentTree tree;
    std::string model;

    FlawedTree() {
        MeshDesc broken = TriangleMesh("stone", "props\\broken");
        broken.indices = {0, 1, 2, 0, 1, 9, 0, 0, 1};
        const Chunk lyingEntry = MeshEntry({MeshTexturesChunk("stone", "props\\lying", ""),
                                            StaticVerticesChunk(TriangleMesh("", "").staticVertices),
                                            IndicesChunk(std::vector<std::uint16_t>{0, 1, 2}, 1000)});
        tree.Write("meshes/loop.mesh", {MeshesChunk({MeshEntry(TriangleMesh("stone", "props\\loop"))}), MeshRefsChunk({"loop"})});
        tree.Write("meshes/rock_lod1.mesh", {MeshesChunk({MeshEntry(TriangleMesh("stone", "props\\lod"))})});
        tree.Write("meshes/garbage.mesh", std::vector<std::uint8_t>{'g', 'a', 'r', 'b', 'a', 'g', 'e', '\n'});
        fs::create_directories(tree.Root() / "meshes/folder.mesh");
        model = tree.Write("models/flawed.model",
                           {MeshesChunk({MeshEntry(TriangleMesh("stone", "props\\good")), MeshEntry(broken), lyingEntry}),
                            MeshRefsChunk({"gone,rock_lod1,loop,garbage,folder"})});
    }
};

json ReadJson(const fs::path& path) {
    std::ifstream in(path);
    return json::parse(in);
}

TEST(ImportReport, TellsEveryKindLeftOutInTheOrderTheImportMetIt) {
    FlawedTree flawed;
    const fs::path out = flawed.tree.Base() / "out.glb";
    const fs::path report = flawed.tree.Base() / "report.json";
    const ProcessResult run =
        RunZenthor({"import", flawed.model, "-o", out.string(), "--yes", "--report", report.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const std::string root = flawed.tree.Root().string();
    const json file = ReadJson(report).at("files").at(0);
    EXPECT_EQ(file.at("status"), "imported-with-omissions");
    EXPECT_EQ(file.at("objects"), 3);
    const std::string notAModel = "no chunk of the model format in it; the first chunk id is 0x62726167";
    const json expected = {
        {"referencesMissing", {{{"name", "gone"}, {"path", root + "/meshes/gone.mesh"}}}},
        {"referencesUnreadable",
         {{{"name", "folder"}, {"path", root + "/meshes/folder.mesh"}, {"why", "it is a folder"}}}},
        {"referencesMalformed", {{{"name", "garbage"}, {"path", root + "/meshes/garbage.mesh"}, {"why", notAModel}}}},
        {"referencesRefused", {{{"name", "loop"}, {"path", root + "/meshes/loop.mesh"}, {"why", "cycle"}}}},
        {"meshEntriesDropped",
         {{{"file", flawed.model}, {"why", "index count 1000 needs 2000 bytes, 6 present"}}}},
        {"trianglesDropped",
         {{{"object", "broken"}, {"count", 1}, {"why", "a corner names no vertex"}},
          {{"object", "broken"}, {"count", 1}, {"why", "degenerate"}}}},
        {"texturesNotFound",
         {{{"path", root + "/textures/stone.512.dds"}, {"objects", {"good", "broken", "loop"}}}}},
        {"objectsNotCreated", json::array()},
    };
    EXPECT_EQ(file.at("leftOut"), expected) << file.at("leftOut").dump(2);
    // The level-of-detail file skipped is the setting's doing, apart from what was left out.
    EXPECT_EQ(file.at("levelOfDetailSkipped"),
              json::array({{{"name", "rock_lod1"}, {"path", root + "/meshes/rock_lod1.mesh"}}}));
    std::vector<std::string> outcomes;
    for (const json& reference : file.at("references")) {
        outcomes.push_back(reference.at("name").get<std::string>() + " " + reference.at("outcome").get<std::string>());
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{"gone missing", "rock_lod1 filtered-as-lod", "loop loaded",
                                                  "loop cycle-refused", "garbage malformed", "folder unreadable"}));

    // The same, for people: one line per kind, the texture once with its three objects.
    EXPECT_THAT(run.err, HasSubstr("left out of " + flawed.model + ":\n"
                                   "  1 reference missing: gone\n"
                                   "  1 referenced file unreadable: folder (it is a folder)\n"
                                   "  1 referenced file malformed, nothing imported from it: garbage (" + notAModel + ")\n"
                                   "  1 reference refused: loop (cycle)\n"
                                   "  1 mesh entry dropped as malformed: " + flawed.model +
                                   " (index count 1000 needs 2000 bytes, 6 present)\n"
                                   "  2 triangles dropped: 1 of broken (a corner names no vertex), 1 of broken (degenerate)\n"
                                   "  texture not found: " + root + "/textures/stone.512.dds (3 objects)\n"
                                   "zenthor import: 1 level-of-detail file skipped: rock_lod1; --include-lods loads them\n"));

    // info judges every reference the same way.
    const ProcessResult info = RunZenthor({"info", flawed.model});
    EXPECT_THAT(info.out, HasSubstr("\"garbage\" -> " + root + "/meshes/garbage.mesh  [malformed: " + notAModel + "]"));
    EXPECT_THAT(info.out, HasSubstr("\"folder\" -> " + root + "/meshes/folder.mesh  [unreadable: it is a folder]"));
}

TEST(ImportReport, AReferencedFileWithoutReadPermissionIsUnreadable) {
    SampleTree tree;
    chmod(tree.Path("meshes/crate.mesh").c_str(), 0);
    const ProcessResult run = RunZenthor(
        {"import", tree.Path("models/sample.model"), "-o", (tree.Base() / "out.glb").string(), "--yes"},
        RunOptions{{}, true});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("1 referenced file unreadable: crate (Permission denied)"));
}

TEST(ImportReport, AFifoIsNoFileAndNeverHoldsTheImport) {
    SampleTree tree;
    fs::remove(tree.Path("meshes/crate.mesh"));
    fs::remove(tree.Path("textures/stone.2048.dds"));
    ASSERT_EQ(mkfifo(tree.Path("meshes/crate.mesh").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(tree.Path("textures/stone.2048.dds").c_str(), 0600), 0);
    const ProcessResult run = RunZenthor({"import", tree.Path("models/sample.model"), "-o",
                                          (tree.Base() / "out.glb").string(), "--yes", "--textures", "png"},
                                         std::chrono::seconds(20));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("1 referenced file unreadable: crate (it is not a regular file)"));
    EXPECT_THAT(run.err, HasSubstr("texture not found: " + tree.Path("textures/stone.512.dds")));
}

TEST(ImportReport, FindsTheContentTreeFromARelativePathAndSaysWhenThereIsNone) {
    SampleTree tree;
    const fs::path out = tree.Base() / "out.glb";
    const ProcessResult relative = RunZenthor({"import", "content/models/sample.model", "-o", out.string(), "--yes"},
                                              RunOptions{tree.Base(), false});
    EXPECT_EQ(relative.exitCode, 0) << relative.err;
    EXPECT_THAT(relative.err, Not(HasSubstr("left out")));

    const fs::path loose = tree.Base() / "loose/sample.model";
    fs::create_directories(loose.parent_path());
    fs::copy_file(tree.Path("models/sample.model"), loose);
    const ProcessResult outside = RunZenthor({"import", loose.string(), "-o", out.string(), "--yes"},
                                             RunOptions{tree.Base(), false});
    EXPECT_EQ(outside.exitCode, 0) << outside.err;
    EXPECT_THAT(outside.err, HasSubstr("  no folder named content above " + loose.string() +
                                       ", so references were looked for in " + tree.Base().string() +
                                       "/meshes/ and textures in " + tree.Base().string() + "/textures/"));
}

TEST(ImportReport, StrictMakesAnythingLeftOutAnExitStatusOfItsOwn) {
    FlawedTree flawed;
    flawed.tree.Write("textures/rock.512.dds", std::vector<std::uint8_t>{0});
    const std::string clean = flawed.tree.Write("models/clean.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\b"))})});
    const std::string failing = flawed.tree.Write("models/failing.model", {MeshRefsChunk({"gone"})});
    const std::string out = (flawed.tree.Base() / "out.glb").string();
    struct Case {
        std::string input;
        int status;
    };
    const std::string lodOnly = flawed.tree.Write(
        "models/lod_only.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\b"))}), MeshRefsChunk({"rock_lod1"})});
    const std::string garbageOnly = flawed.tree.Write(
        "models/garbage_only.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\b"))}), MeshRefsChunk({"garbage"})});
    for (const Case& c : {Case{flawed.model, 3}, Case{clean, 0}, Case{failing, 1}, Case{lodOnly, 0}, Case{garbageOnly, 3}}) {
        EXPECT_EQ(RunZenthor({"import", c.input, "-o", out, "--yes", "--strict"}).exitCode, c.status) << c.input;
    }

    // A batch counts the files imported with something left out, and says so in its report.
    const fs::path report = flawed.tree.Base() / "batch.json";
    const ProcessResult batch = RunZenthor({"import", flawed.model, clean, "--out-dir",
                                            (flawed.tree.Base() / "out").string(), "--yes", "--strict", "--report",
                                            report.string()});
    EXPECT_EQ(batch.exitCode, 3);
    EXPECT_THAT(batch.out, HasSubstr("2 of 2 files imported (4 objects), 0 failed, 1 imported with something left out"));
    const json summary = ReadJson(report).at("summary");
    EXPECT_EQ(summary, json({{"files", 2}, {"imported", 2}, {"importedWithOmissions", 1}, {"failed", 0}}));
}

}  // namespace
}  // namespace zenthor
