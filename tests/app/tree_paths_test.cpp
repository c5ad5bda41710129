// Paths zenthor finds or accepts in a tree: the model files of a batch or of the browse
// page, and the page's own files below a web root wherever that root is installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "app/browse/browse_request.h"
#include "app/support/model_files.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using test::TempContentTree;

TEST(ModelFilesBelow, FindsModelsInAnyLetterCaseAndPassesOverLinksToNothing) {
    TempContentTree tree;
    const std::vector<std::uint8_t> bytes{1};
    tree.Write("models/b.model", bytes);
    tree.Write("models/sub/A.MODEL", bytes);
    tree.Write("meshes/crate.mesh", bytes);
    fs::create_symlink(tree.Root() / "missing.model", tree.Root() / "models/a_broken.model");
    std::error_code error;
    const std::vector<fs::path> found = ModelFilesBelow(tree.Root(), error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(found, (std::vector<fs::path>{tree.Root() / "models/b.model", tree.Root() / "models/sub/A.MODEL"}));
}

TEST(ResolveAsset, ServesThePageBelowAWebRootInAnyFolderButNotItsVendorFiles) {
    TempContentTree tree("vendor/share/zenthor/web");
    const fs::path web = fs::canonical(tree.Root());
    const std::vector<std::uint8_t> bytes{1};
    tree.Write("main.js", bytes);
    tree.Write("vendor/three/build/three.module.js", bytes);
    EXPECT_EQ(ResolveAsset(web, "main.js"), web / "main.js");
    EXPECT_EQ(ResolveAsset(web, "vendor/three/build/three.module.js"), std::nullopt);
    EXPECT_EQ(ResolveVendorFile(web, "build/three.module.js"), web / "vendor/three/build/three.module.js");
}

}  // namespace
}  // namespace zenthor
