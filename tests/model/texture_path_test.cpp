#include "model/texture_path.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

// The content root as the loader makes it: with backslashes, ending in one.
std::string RootOf(const test::TempContentTree& tree) {
    std::string root = tree.Root().string() + "\\";
    std::replace(root.begin(), root.end(), '/', '\\');
    return root;
}

TEST(ResolveTexturePath, PrefersTheLargestSizeOnDisk) {
    struct Case {
        const char* what;
        std::vector<std::string> onDisk;
        const char* textureName;
        std::string expectedEnding;
    };
    const Case cases[] = {
        {"2048 wins over 1024",
         {"textures/walls/brick_01.2048.dds", "textures/walls/brick_01.1024.dds"},
         "walls\\brick_01",
         "textures\\walls\\brick_01.2048.dds"},
        {"1024 when only it exists",
         {"textures/walls/brick_01.1024.dds"},
         "walls\\brick_01",
         "textures\\walls\\brick_01.1024.dds"},
        {"512 untested when neither exists", {}, "walls\\brick_01", "textures\\walls\\brick_01.512.dds"},
        {"512 untested even when absent beside others",
         {"textures/walls/other.1024.dds"},
         "walls\\brick_01",
         "textures\\walls\\brick_01.512.dds"},
        {"empty texture name", {"textures/.1024.dds"}, "", "textures\\.1024.dds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempContentTree tree;
        for (const std::string& file : c.onDisk) {
            tree.Write(file, test::Bytes{'d', 'd', 's'});
        }
        EXPECT_EQ(ResolveTexturePath(RootOf(tree), c.textureName), RootOf(tree) + c.expectedEnding)
            << "the name keeps its backslashes as built";
    }
}

TEST(ResolveTexturePath, EmptyContentRootGivesTheTextureNameUnchanged) {
    EXPECT_EQ(ResolveTexturePath("", "walls\\brick_01"), "walls\\brick_01");
    EXPECT_EQ(ResolveTexturePath("", ""), "");
}

TEST(ResolveTexturePath, AsksForTheTwoLargerSizesOnly) {
    std::vector<std::string> asked;
    const std::string path =
        ResolveTexturePath("D:\\game\\content\\", "walls\\brick_01", [&](const std::string& p) {
            asked.push_back(p);
            return false;
        });
    EXPECT_EQ(path, "D:\\game\\content\\textures\\walls\\brick_01.512.dds");
    EXPECT_EQ(asked, (std::vector<std::string>{"D:\\game\\content\\textures\\walls\\brick_01.2048.dds",
                                               "D:\\game\\content\\textures\\walls\\brick_01.1024.dds"}));
}

}  // namespace
}  // namespace zenthor
