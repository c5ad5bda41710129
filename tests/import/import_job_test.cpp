// The job owns the model from the start and takes the content root only on success.
#include <gtest/gtest.h>

#include "import/import_job.h"
#include "tests/model/loader_test_util.h"

namespace zenthor {
namespace {

using namespace test;

TEST(ImportJobLoad, ContentRootOnlyOnSuccessModelAlways) {
    MemoryFiles files;
    files.Add(MeshPath("good"), Serialize({MeshesChunk({Tagged("g")})}));
    files.Add(MeshPath("empty"), Serialize({MeshesChunk({MeshEntry(std::vector<Chunk>{})})}));

    ImportJob good;
    EXPECT_TRUE(good.LoadModel("C:/game/content/meshes/good.mesh", false, nullptr, &files));
    EXPECT_EQ(good.contentRoot, kRoot);
    EXPECT_EQ(good.model->GetMeshCount(), 1);

    for (const char* name : {"empty", "missing"}) {
        ImportJob failed;
        LoadLog log;
        EXPECT_FALSE(failed.LoadModel(MeshPath(name), false, &log, &files)) << name;
        ASSERT_NE(failed.model, nullptr);
        EXPECT_EQ(failed.contentRoot, "");
    }
}

}  // namespace
}  // namespace zenthor
