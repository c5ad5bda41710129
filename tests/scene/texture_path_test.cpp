#include "scene/texture_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// A content tree in a fresh temporary folder, removed afterwards. Its root is given
// with backslashes, as the loader makes content roots.
class ContentTree {
public:
    ContentTree()
        : m_dir(fs::temp_directory_path() /
                ("zenthor-textures-" + std::to_string(::getpid()) + "-" + std::to_string(counter++))) {
        fs::create_directories(m_dir / "content");
    }
    ~ContentTree() { fs::remove_all(m_dir); }

    void Add(const std::string& relative) {
        fs::path path = m_dir / "content" / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "dds";
    }
    std::string Root() const {
        std::string root = (m_dir / "content").string() + "\\";
        for (char& c : root) {
            if (c == '/') c = '\\';
        }
        return root;
    }

private:
    static inline int counter = 0;
    fs::path m_dir;
};

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
        {"letter case differs on disk",
         {"Textures/WALLS/Brick_01.2048.DDS"},
         "walls\\brick_01",
         "textures\\walls\\brick_01.2048.dds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ContentTree tree;
        for (const std::string& file : c.onDisk) {
            tree.Add(file);
        }
        EXPECT_EQ(ResolveTexturePath(tree.Root(), c.textureName), tree.Root() + c.expectedEnding)
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
