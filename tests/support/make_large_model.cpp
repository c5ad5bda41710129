// zenthor_make_large_model FILE: writes the 1,000,000-triangle terrain model of the
// benchmarks to FILE (3,000,000 vertices in 46 mesh entries).
#include <cstdio>

#include "tests/support/large_models.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const zenthor::test::Bytes bytes = zenthor::test::TerrainModel(1000000);
    std::FILE* file = std::fopen(argv[1], "wb");
    const bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "zenthor_make_large_model: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
