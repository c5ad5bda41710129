// Finding backslash paths on a case-sensitive file system.
#include <gtest/gtest.h>

#include "platform/file_view.h"
#include "platform/path_lookup.h"
#include "tests/support/temp_content_tree.h"

namespace platform {
namespace {

TEST(PathLookup, BackslashesAndCaseAreMatched) {
    zenthor::test::TempContentTree tree;
    tree.Write("meshes/body.mesh", std::vector<std::uint8_t>{1});
    tree.Write("Textures/Rock.2048.dds", std::vector<std::uint8_t>{2});
    const std::string root = tree.Root().string();
    const std::pair<std::string, std::string> cases[] = {
        {root + "\\meshes\\body.mesh", root + "/meshes/body.mesh"},
        {root + "\\meshes\\Body.mesh", root + "/meshes/body.mesh"},
        {root + "/MESHES/BODY.MESH", root + "/meshes/body.mesh"},
        {root + "\\textures\\rock.2048.dds", root + "/Textures/Rock.2048.dds"},
        {root + "\\meshes\\none.mesh", root + "/meshes/none.mesh"},
        {root + "\\nowhere\\Body.mesh", root + "/nowhere/Body.mesh"},
    };
    for (const auto& [asked, found] : cases) {
        EXPECT_EQ(ResolvePath(asked), found) << asked;
    }
    EXPECT_TRUE(FileExists(root + "\\MESHES\\body.mesh"));
    EXPECT_FALSE(FileExists(root + "\\meshes\\body.mesh2"));
}

TEST(FileViewTest, OpenAndCloseOnce) {
    zenthor::test::TempContentTree tree;
    const std::string path = tree.Write("a.bin", std::vector<std::uint8_t>{1, 2, 3});
    FileView view;
    ASSERT_TRUE(OpenFileView(path, view));
    EXPECT_EQ(view.size, 3u);
    EXPECT_EQ(view.data[2], 3);
    EXPECT_NE(view.file, 0u);
    CloseFileView(view);
    EXPECT_EQ(view.data, nullptr);
    CloseFileView(view);  // an empty view releases nothing
    EXPECT_FALSE(OpenFileView(tree.Path("missing.bin"), view));
    EXPECT_EQ(view.file, 0u);
}

}  // namespace
}  // namespace platform
