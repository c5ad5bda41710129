// Batches through the built program: every .model of a folder tree in worker processes,
// with a malformed file beside files that import, and files of a plug-in that crashes or
// hangs past the time limit; which worker process took each file; inputs whose outputs
// would share a name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    EXPECT_THAT(run.out, HasSubstr("2 of 5 files imported (8 objects), 3 failed (1 crashed, 1 timed out), "));
    // The batch ends with the files that failed and why, and with one line for the
    // level-of-detail files that the setting skipped in every model.
    const std::string models = tree.Path("models");
    EXPECT_THAT(run.err, HasSubstr("zenthor import: 3 files failed:\n"
                                   "  " + models + "/malformed.model: it is not a .model or .mesh file: no chunk in it\n"
                                   "  " + crash + ": the import crashed (signal 11, Segmentation fault)\n"
                                   "  " + hang + ": the import took longer than 1 s and was stopped\n"
                                   "zenthor import: 2 level-of-detail files skipped in 2 models; --include-lods loads them\n"));
    EXPECT_THAT(run.err, Not(HasSubstr("left out of")));
    // The good files keep their layout; nothing else is left behind, and the
    // referenced .mesh files were not imported on their own.
    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{"sample.glb", "sub", "sub/copy.glb"}));
}

// Which worker process imported each .fault file, as the fault plug-in logged them: 0 for
// the first process, 1 for the next one seen, and so on.
std::vector<int> WorkersOf(const fs::path& pidLog) {
    std::ifstream in(pidLog);
    std::vector<std::string> seen;
    std::vector<int> workers;
    for (std::string pid; std::getline(in, pid);) {
        const auto at = std::find(seen.begin(), seen.end(), pid);
        workers.push_back(static_cast<int>(at - seen.begin()));
        if (at == seen.end()) {
            seen.push_back(pid);
        }
    }
    return workers;
}

// Sets ZENTHOR_FAULT_PIDS for the programs this test starts, until it ends.
class PidLog {
public:
    explicit PidLog(fs::path file) : m_file(std::move(file)) {
        setenv("ZENTHOR_FAULT_PIDS", m_file.c_str(), 1);
    }
    ~PidLog() { unsetenv("ZENTHOR_FAULT_PIDS"); }
    PidLog(const PidLog&) = delete;
    PidLog& operator=(const PidLog&) = delete;
    std::vector<int> Workers() const { return WorkersOf(m_file); }

private:
    fs::path m_file;
};

TEST(Batch, FilesAfterACrashOrAHangInTheSameWorkerStillImportInAFreshOne) {
    SampleTree tree;
    fs::copy_file(tree.Path("models/sample.model"), tree.Root() / "after.model");
    std::vector<std::string> faults;
    for (const char* stem : {"one", "crash", "two", "hang", "three"}) {
        faults.push_back(tree.Write(std::string(stem) + ".fault", std::vector<std::uint8_t>{1}));
    }
    const PidLog pids(tree.Base() / "pids");
    const fs::path out = tree.Base() / "out";

    // One worker at a time, so the files go to it in the order named.
    RunZenthor({"import", faults[0], faults[1], tree.Path("models/sample.model"), faults[2], faults[3],
                tree.Path("after.model"), faults[4], "--out-dir", out.string(), "--jobs", "1", "--timeout", "1",
                "--plugin-dir", ZENTHOR_FAULT_PLUGIN_DIR});

    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{"after.glb", "sample.glb"}));
    // A worker takes file after file; only the crash and the hang cost it.
    EXPECT_EQ(pids.Workers(), (std::vector<int>{0, 0, 1, 1, 2}));
}

TEST(Batch, AWorkerPastItsMemoryLimitLeavesTheNextFileToAFreshOne) {
    SampleTree tree;
    std::vector<std::string> faults;
    for (const char* stem : {"one", "two", "three"}) {
        faults.push_back(tree.Write(std::string(stem) + ".fault", std::vector<std::uint8_t>{1}));
    }
    const std::pair<std::vector<std::string>, std::vector<int>> cases[] = {
        {{}, {0, 0, 0}},                        // the default leaves room for many files
        {{"--worker-memory", "1K"}, {0, 1, 2}}  // every worker holds more than that
    };
    for (const auto& [memory, workers] : cases) {
        const PidLog pids(tree.Base() / ("pids" + std::to_string(memory.size())));
        std::vector<std::string> args{"import",       faults[0],
                                      faults[1],      faults[2],
                                      "--out-dir",    (tree.Base() / "out").string(),
                                      "--jobs",       "1",
                                      "--plugin-dir", ZENTHOR_FAULT_PLUGIN_DIR};
        args.insert(args.end(), memory.begin(), memory.end());
        const ProcessResult run = RunZenthor(args);
        EXPECT_THAT(run.out, HasSubstr("0 of 3 files imported (0 objects), 3 failed,")) << run.err;
        EXPECT_EQ(pids.Workers(), workers);
    }
}

TEST(Batch, FilesWhoseNamesAreNotUtf8ReachTheWorkers) {
    SampleTree tree;
    const std::string latin1 = "caf\xe9";
    fs::copy_file(tree.Path("models/sample.model"), tree.Root() / (latin1 + ".model"));
    const fs::path out = tree.Base() / "out";
    const ProcessResult run = RunZenthor({"import", tree.Path(latin1 + ".model"), "--out-dir", out.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{latin1 + ".glb"}));
}

TEST(Batch, NamedFilesAndFoldersMixAndMeshFilesComeOnlyWhenNamed) {
    SampleTree tree;
    const fs::path out = tree.Base() / "out";
    const ProcessResult run = RunZenthor({"import", tree.Path("models"), tree.Path("meshes/crate.mesh"),
                                          "--out-dir", out.string(), "--format", "obj", "--jobs", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("2 of 2 files imported"));
    EXPECT_THAT(run.out, Not(HasSubstr("Imported OK!")));  // no message box per file in a batch
    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{"crate.mtl", "crate.obj", "sample.mtl", "sample.obj"}));
}

// Inputs whose outputs would have the same name: each is told where it went, and none
// overwrites another.
TEST(Batch, InputsWithTheSameNameAreToldWhichOutputEachWrites) {
    SampleTree tree;
    for (const char* folder : {"x", "y", "z"}) {
        fs::create_directories(tree.Root() / folder);
        fs::copy_file(tree.Path("models/sample.model"), tree.Root() / folder / "crate.model");
    }
    const std::string x = tree.Path("x/crate.model");
    const std::string mesh = tree.Path("meshes/crate.mesh");
    const std::string y = tree.Path("y/crate.model");
    const std::string z = tree.Path("z/crate.model");
    const fs::path out = tree.Base() / "out";
    const std::string plain = (out / "crate.glb").string();
    const std::string meshOutput = (out / "crate.mesh.glb").string();
    const std::string modelOutput = (out / "crate.model.glb").string();

    const ProcessResult run = RunZenthor({"import", x, mesh, y, z, "--out-dir", out.string(), "--jobs", "1"});

    // The fourth has no name left; the others are imported where the messages say.
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_THAT(run.out, HasSubstr("3 of 4 files imported"));
    // x came first and keeps the plain name.
    const auto renamed = [&](const std::string& other, const std::string& output) {
        return x + " and " + other + " would both write " + plain + ": " + x + " writes " + plain + ", " +
               other + " writes " + output;
    };
    for (const std::string& message : {renamed(mesh, meshOutput), renamed(y, modelOutput),
                                       z + ": its output " + modelOutput + " is taken by " + y}) {
        EXPECT_THAT(run.err, HasSubstr("zenthor import: " + message + "\n"));
    }
    EXPECT_EQ(FilesBelow(out), (std::vector<std::string>{"crate.glb", "crate.mesh.glb", "crate.model.glb"}));
}

TEST(Batch, OnATerminalTheProgressBarEndsAtTheLastFile) {
    SampleTree tree;
    TerminalSession session({"import", tree.Path("models"), "--out-dir", (tree.Base() / "out").string()});
    EXPECT_EQ(session.Wait(), 0) << session.Output();
    EXPECT_THAT(session.Output(), HasSubstr("] 1/1  0 failed"));
}

}  // namespace
}  // namespace zenthor
