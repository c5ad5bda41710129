// Finding backslash paths on a case-sensitive file system, and whole-file views.
#include <sys/stat.h>

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
    const struct {
        std::string asked, found;
        bool exists;
    } cases[] = {
        {root + "\\meshes\\body.mesh", root + "/meshes/body.mesh", true},
        {root + "\\meshes\\Body.mesh", root + "/meshes/body.mesh", true},
        {root + "/MESHES/BODY.MESH", root + "/meshes/body.mesh", true},
        {root + "\\textures\\rock.2048.dds", root + "/Textures/Rock.2048.dds", true},
        {root + "\\\\meshes\\Body.mesh", root + "/meshes/body.mesh", true},
        {root + "\\meshes\\none.mesh", root + "/meshes/none.mesh", false},
        {root + "\\nowhere\\Body.mesh", root + "/nowhere/Body.mesh", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolvePath(c.asked), c.found) << c.asked;
        EXPECT_EQ(FileExists(c.asked), c.exists) << c.asked;
    }
}

TEST(PathLookup, AMemoListsEachFolderOnceWhileItLives) {
    zenthor::test::TempContentTree tree;
    tree.Write("textures/a.dds", std::vector<std::uint8_t>{1});
    const std::string folder = tree.Root().string() + "\\textures\\";
    {
        const ListingMemo memo;
        EXPECT_FALSE(FileExists(folder + "B.dds"));  // lists the folder
        tree.Write("textures/b.dds", std::vector<std::uint8_t>{2});
        EXPECT_FALSE(FileExists(folder + "B.dds")) << "the listing is kept";
        EXPECT_TRUE(FileExists(folder + "b.dds")) << "an exact name is still asked of the system";
    }
    EXPECT_TRUE(FileExists(folder + "B.dds"));
}

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

TEST(FileView, MapsTheWholeFileOrNothingAndLeavesNothingOpen) {
    zenthor::test::TempContentTree tree;
    // A small file is read, a large one mapped: both must show every byte.
    std::vector<std::uint8_t> large(3 << 20);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::vector<std::vector<std::uint8_t>> contents = {{1, 2, 3}, large};
    tree.Write("empty.bin", std::vector<std::uint8_t>{});
    tree.Write("folder/inside.bin", std::vector<std::uint8_t>{1});
    const std::size_t before = OpenDescriptors();
    FileView view;
    for (const std::vector<std::uint8_t>& bytes : contents) {
        ASSERT_TRUE(OpenFileView(tree.Write("file.bin", bytes), view));
        EXPECT_EQ(std::vector<std::uint8_t>(view.data, view.data + view.size), bytes);
        CloseFileView(view);
        EXPECT_EQ(view.data, nullptr);
        CloseFileView(view);  // an empty view releases nothing
    }
    // A FIFO is refused at once, not waited on until a writer comes.
    ASSERT_EQ(mkfifo(tree.Path("pipe.bin").c_str(), 0600), 0);
    for (const char* name : {"missing.bin", "empty.bin", "folder", "pipe.bin"}) {
        EXPECT_FALSE(OpenFileView(tree.Path(name), view)) << name;
        EXPECT_EQ(view.file, 0u) << name;
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace platform
