// zenthor's commands through the built program: the settings dialog answered from flags,
// exit statuses and the explanations of failed imports, plug-in discovery and the report
// of info.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "tests/app/zenthor_process.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using namespace test;
namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kSummaryTitle = "Zenthor Model Importer (by Brindle)\n";

TEST(ImportDialogFromFlags, IncludeLodsMarksTheBoxAndYesLeavesItUnmarked) {
    SampleTree tree;
    struct Case {
        const char* flag;
        const char* objects;
        bool lodWritten;
    };
    for (const Case& c : {Case{"--yes", "Imported objects : 04\n", false},
                          Case{"--include-lods", "Imported objects : 05\n", true}}) {
        SCOPED_TRACE(c.flag);
        const fs::path output = tree.Base() / "out.obj";
        const ProcessResult run =
            RunZenthor({"import", tree.Path("models/sample.model"), "-o", output.string(), c.flag});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // The message box, title and text verbatim.
        EXPECT_THAT(run.out, HasSubstr(std::string(kSummaryTitle) + "Imported OK!\n" + c.objects));
        std::ifstream in(output);
        const std::string obj((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(obj.find("\no crate_lod1\n") != std::string::npos, c.lodWritten);
    }
    // The second import replaced the first one's files and left nothing beside them.
    for (const auto& entry : fs::recursive_directory_iterator(tree.Base())) {
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
    }
}

TEST(ImportFailures, ExitOneWithTheReason) {
    const struct {
        const char* name;
        std::optional<Bytes> file;  // not written when empty
        const char* expected;
    } cases[] = {
        {"missing.model", {}, "no such file"},
        {"aliases_only.model", Serialize({TextureAliasesChunk("a=b")}), "holds no mesh entries"},
        {"lod_only.model", Serialize({MeshRefsChunk({"crate_lod1,x"})}), "add --include-lods to load them"},
        {"reference_missing.model", Serialize({MeshRefsChunk({"nothere,x"})}),
         "1 referenced file is missing (nothere)"},
        {"bad_count.model",
         Serialize({MeshesChunk({MeshEntry({IndicesChunk(std::vector<std::uint16_t>{0, 1, 2}, 1000)})})}),
         "malformed and dropped"},
        {"notes.txt", Bytes{'h', 'i'}, "no plug-in imports .txt files"},
    };
    SampleTree tree;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = tree.Path(std::string("models/") + c.name);
        if (c.file) tree.Write(std::string("models/") + c.name, *c.file);
        const fs::path output = tree.Base() / "out.glb";
        const ProcessResult run = RunZenthor({"import", input, "-o", output.string(), "--yes"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, HasSubstr(c.expected));
        EXPECT_THAT(run.out, Not(HasSubstr(kSummaryTitle)));
        EXPECT_FALSE(fs::exists(output));
    }
}

TEST(ImportFailures, UsageErrorsExitTwoAndSayWhatToDo) {
    SampleTree tree;
    const std::string model = tree.Path("models/sample.model");
    const std::string out = (tree.Base() / "out").string();
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"import", model}, "give either -o FILE (one input file) or --out-dir DIR"},
        {{"import", model, "-o", out + ".glb", "--out-dir", out}, "give either -o FILE"},
        {{"import", model, "-o", out + ".dat"}, "cannot tell the format from " + out + ".dat"},
        {{"import", model, "-o", out + ".glb", "--format", "fbx"}, "unknown --format fbx (glb, gltf or obj)"},
        {{"import", model, "-o", out + ".obj", "--format", "glb"}, "names the obj format, but --format says glb"},
        {{"import", tree.Root().string(), "-o", out + ".glb"}, "-o takes one input file"},
        {{"import", model, "-o", out + ".glb", "--jobs", "0"}, "zenthor import: --jobs must be at least 1"},
        {{"import", model, "-o", out + ".glb", "--timeout", "0"}, "--timeout must be more than 0"},
        {{"browse", tree.Root().string(), "--port", "70000"}, "--port must be from 0 to 65535"},
        {{"impotr", model}, "zenthor: unknown command impotr; did you mean import?"},
        {{"import", model, "-o", out + ".glb", "--include-lod"}, "unknown option --include-lod; did you mean --include-lods?"},
        {{"frobnicate"}, "unknown command frobnicate (zenthor --help"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult run = RunZenthor(c.args);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.says));
    }
    EXPECT_FALSE(fs::exists(out + ".obj"));
}

TEST(ImportFailures, WhereTheRunWritesIsCheckedBeforeItImports) {
    SampleTree tree;
    const std::string model = tree.Path("models/sample.model");
    const fs::path out = tree.Base() / "out.glb";
    const fs::path report = tree.Base() / "missing/report.json";
    const ProcessResult run = RunZenthor({"import", model, "-o", out.string(), "--yes", "--report", report.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("cannot write the report " + report.string() + ": No such file or directory"));
    EXPECT_THAT(run.out, Not(HasSubstr(kSummaryTitle)));
    EXPECT_FALSE(fs::exists(out));
}

TEST(ImportOutput, FormatFlagOverridesTheExtensionAndNamesAndChoicesIgnoreCase) {
    SampleTree tree;
    fs::copy_file(tree.Path("models/sample.model"), tree.Path("models/SAMPLE.MODEL"));
    const fs::path output = tree.Base() / "scene.dat";
    const ProcessResult run = RunZenthor(
        {"import", tree.Path("models/SAMPLE.MODEL"), "-o", output.string(), "--format", "GLB", "--textures", "PNG", "-y"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ifstream in(output, std::ios::binary);
    const std::string glb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(glb.starts_with("glTF"));
    EXPECT_THAT(glb, HasSubstr("\"image/png\""));
}

TEST(Plugins, ListsTheImporterAndReportsLibrariesItSkips) {
    TempContentTree tree;
    const std::string broken = tree.Write("plugins/broken.so", std::vector<std::uint8_t>{'n', 'o', 't'});
    const ProcessResult run =
        RunZenthor({"plugins", "--plugin-dir", fs::path(broken).parent_path().string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* text : {"ZenthorMeshImport.so", "description: Zenthor Mesh Import plugin by Brindle",
                             "importer: MeshImport", "class id: (0xB9323550, 0x5EBF9454)", "category: import",
                             "extensions: model, mesh", "long description: Zenthor Model File",
                             "short description: Zenthor Model", "author: Brindle", "version: 110"}) {
        EXPECT_THAT(run.out, HasSubstr(text));
    }
    EXPECT_THAT(run.err, HasSubstr("skipping plug-in " + broken));
}

TEST(Info, ReportsTexturesTriedReferencesAndUnreadableFiles) {
    SampleTree tree;
    fs::remove(tree.Path("textures/cloth.512.dds"));
    const ProcessResult run = RunZenthor({"info", tree.Path("models/sample.model")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("textures/stone.2048.dds  [found]"));
    EXPECT_THAT(run.out, HasSubstr("tried: .2048.dds (missing) .1024.dds (exists) .512.dds (missing)"));
    // Neither larger file exists, so the 512 name is used, and it is missing too.
    EXPECT_THAT(run.out, HasSubstr("textures/cloth.512.dds  [missing]"));
    EXPECT_TRUE(run.out.ends_with("\n")) << "the last line is ended";

    const ProcessResult json =
        RunZenthor({"info", tree.Path("models/sample.model"), "--include-lods", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["loaded"], true);
    EXPECT_EQ(report["references"].size(), 2u);
    for (const auto& reference : report["references"]) EXPECT_EQ(reference["outcome"], "loaded");

    const ProcessResult missing = RunZenthor({"info", tree.Path("models/none.model")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.err, HasSubstr("zenthor info: " + tree.Path("models/none.model") + ": cannot open it: no such file"));

    // A file of another kind is said to be one, without the format's notes on it.
    const ProcessResult other = RunZenthor({"info", tree.Write("notes.txt", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'})});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_THAT(other.err, HasSubstr("notes.txt: it is not a .model or .mesh file: no chunk of the model format in it"));
    EXPECT_EQ(other.out, "");
}

}  // namespace
}  // namespace zenthor
