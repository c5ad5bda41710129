// Finding backslash paths on a case-sensitive file system, and whole-file views.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

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
}

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

TEST(FileView, MapsTheWholeFileOrNothingAndLeavesNothingOpen) {
    zenthor::test::TempContentTree tree;
    const std::string path = tree.Write("a.bin", std::vector<std::uint8_t>{1, 2, 3});
    tree.Write("empty.bin", std::vector<std::uint8_t>{});
    tree.Write("folder/inside.bin", std::vector<std::uint8_t>{1});
    const std::size_t before = OpenDescriptors();
    FileView view;
    ASSERT_TRUE(OpenFileView(path, view));
    EXPECT_EQ(std::vector<std::uint8_t>(view.data, view.data + view.size),
              (std::vector<std::uint8_t>{1, 2, 3}));
    CloseFileView(view);
    EXPECT_EQ(view.data, nullptr);
    CloseFileView(view);  // an empty view releases nothing
    for (const char* name : {"missing.bin", "empty.bin", "folder"}) {
        EXPECT_FALSE(OpenFileView(tree.Path(name), view)) << name;
        EXPECT_EQ(view.file, 0u) << name;
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace platform
