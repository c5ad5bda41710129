// Inputs of a batch whose outputs would have the same name: each is told where it went,
// and none overwrites another.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/app/zenthor_process.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(BatchOutputs, InputsWithTheSameNameAreToldWhichOutputEachWrites) {
    TempContentTree tree;
    WriteSampleContent(tree.Root());
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
    for (const std::string& output : {plain, meshOutput, modelOutput}) {
        EXPECT_TRUE(fs::is_regular_file(output)) << output;
    }
}

}  // namespace
}  // namespace zenthor::test
