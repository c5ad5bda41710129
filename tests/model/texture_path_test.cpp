#include "model/texture_path.h"

#include <gtest/gtest.h>

#include <set>

namespace zenthor {
namespace {

TEST(ResolveTexturePath, TakesTheLargerSizeOnDiskElseThe512NameUntested) {
    const std::string root = "D:\\game\\content\\";
    const struct {
        const char* what;
        std::set<std::string> onDisk;  // below the textures folder
        const char* textureName;
        const char* expected;
    } cases[] = {
        {"2048 wins over 1024",
         {"walls\\brick.2048.dds", "walls\\brick.1024.dds"},
         "walls\\brick",
         "walls\\brick.2048.dds"},
        {"1024 when only it exists", {"walls\\brick.1024.dds"}, "walls\\brick", "walls\\brick.1024.dds"},
        {"512 untested when neither exists", {}, "walls\\brick", "walls\\brick.512.dds"},
        {"empty texture name", {".1024.dds"}, "", ".1024.dds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> asked;
        const std::string path = ResolveTexturePath(root, c.textureName, [&](const std::string& p) {
            asked.push_back(p);
            return c.onDisk.contains(p.substr(root.size() + 9));
        });
        EXPECT_EQ(path, root + "textures\\" + c.expected);
        for (const std::string& p : asked) EXPECT_FALSE(p.ends_with(".512.dds")) << p;
    }
    EXPECT_EQ(ResolveTexturePath("", "walls\\brick"), "walls\\brick")
        << "no content root: the name as it stands";
}

}  // namespace
}  // namespace zenthor
