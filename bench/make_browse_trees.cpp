// make_browse_trees FOLDER: writes the content trees bench/browse_page.mjs serves:
//   FOLDER/large/content/  the sample tree and models/large.model, the 1,000,000-triangle
//                          terrain;
//   FOLDER/grid/content/   1,000 small textured models (boxes of varied sizes on the sample
//                          textures) in ten folders, for the grid;
//   FOLDER/grid10k/content/ 10,000 such models in a hundred folders.
// (Textures resolve below the folder named "content".)
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "tests/support/large_models.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace {

using namespace zenthor::test;
namespace fs = std::filesystem;


Bytes GridModel(int i) {
    static const char* const kTextures[] = {"stone", "crate", "cloth"};
    const float size = 0.5f + 0.1f * static_cast<float>(i % 10);
    const float centre[3] = {0, 0, 0};
    const float beside[3] = {size, 0, 0.25f * static_cast<float>(i % 4)};
    const std::string name = "set\\m" + std::to_string(i);
    return Serialize({MeshesChunk({MeshEntry(BoxMesh(kTextures[i % 3], name, size, centre)),
                                   MeshEntry(BoxMesh(kTextures[(i + 1) % 3], name + "_top", size / 2, beside))})});
}

void WriteTrees(const fs::path& folder) {
    WriteSampleContent(folder / "large/content");
    WriteFile(folder / "large/content/models/large.model", zenthor::test::TerrainModel(1000000));
    for (const auto& [name, models] : {std::pair("grid", 1000), std::pair("grid10k", 10000)}) {
        const fs::path grid = folder / name / "content";
        for (const auto& [path, bytes] : SampleContentFiles()) {
            if (path.starts_with("textures/")) WriteFile(grid / path, bytes);
        }
        for (int i = 0; i < models; ++i) {
            WriteFile(grid / "models" / ("set" + std::to_string(i / 100)) / ("m" + std::to_string(i) + ".model"),
                      GridModel(i));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    try {
        WriteTrees(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_browse_trees: %s\n", error.what());
        return 1;
    }
    return 0;
}
