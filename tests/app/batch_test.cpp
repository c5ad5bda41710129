// Batches through the built program: every .model of a folder tree in worker processes,
// with a malformed file beside files that import, and files of a plug-in that crashes or
// hangs past the time limit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
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

std::vector<fs::path> FilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().lexically_relative(folder));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Batch, FailingFilesCostOnlyTheirOwnResults) {
    SampleTree tree;
    const fs::path sample = tree.Path("models/sample.model");
    fs::create_directories(tree.Root() / "models/sub");
    fs::copy_file(sample, tree.Root() / "models/sub/copy.model");
    tree.Write("models/malformed.model", std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7});
    const std::string crash = tree.Write("crash.fault", std::vector<std::uint8_t>{});
    const std::string hang = tree.Write("hang.fault", std::vector<std::uint8_t>{});

    const fs::path out = tree.Base() / "out";
    const ProcessResult run =
        RunZenthor({"import", tree.Path("models"), crash, hang, "--out-dir", out.string(), "--jobs", "2",
                    "--timeout", "1", "--plugin-dir", ZENTHOR_FAULT_PLUGIN_DIR});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.out, HasSubstr("2 of 5 files imported (8 objects), 3 failed (1 crashed, 1 timed out), "
                                   "2 imported with something left out"));
    EXPECT_THAT(run.err, HasSubstr("crash.fault: the import crashed (signal 11"));
    EXPECT_THAT(run.err, HasSubstr("hang.fault: the import took longer than 1 s and was stopped"));
    EXPECT_THAT(run.err, HasSubstr("malformed.model: no mesh in"));
    // The good files keep their layout; nothing else is left behind, and the
    // referenced .mesh files were not imported on their own.
    EXPECT_EQ(FilesBelow(out), (std::vector<fs::path>{"sample.glb", "sub/copy.glb"}));
}

TEST(Batch, NamedFilesAndFoldersMixAndMeshFilesComeOnlyWhenNamed) {
    SampleTree tree;
    const fs::path out = tree.Base() / "out";
    const ProcessResult run = RunZenthor({"import", tree.Path("models"), tree.Path("meshes/crate.mesh"),
                                          "--out-dir", out.string(), "--format", "obj", "--jobs", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("2 of 2 files imported"));
    EXPECT_THAT(run.out, Not(HasSubstr("Imported OK!")));  // no message box per file in a batch
    EXPECT_EQ(FilesBelow(out), (std::vector<fs::path>{"crate.mtl", "crate.obj", "sample.mtl", "sample.obj"}));
}

}  // namespace
}  // namespace zenthor
