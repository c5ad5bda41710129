// zenthor_make_samples CONTENT_FOLDER: (re)writes the sample content tree, e.g.
//   build/default/tests/support/zenthor_make_samples samples/content
#include <cstdio>
#include <exception>

#include "tests/support/sample_content.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CONTENT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        zenthor::test::WriteSampleContent(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zenthor_make_samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
