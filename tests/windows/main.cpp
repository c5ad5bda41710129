// The Windows test host: loads the plug-in DLL as a host does and runs the tests.
//
//   zenthor_windows_tests.exe [GOOGLETEST_FLAGS] PLUGIN_DLL SAMPLES_CONTENT_FOLDER
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/windows/test_environment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);  // takes out its own flags
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s [GOOGLETEST_FLAGS] PLUGIN_DLL SAMPLES_CONTENT_FOLDER\n", argv[0]);
        return 2;
    }
    std::string samples = argv[2];
    if (samples.empty() || samples.back() != '\\') samples += '\\';
    zenthor::test::g_environment = {argv[1], samples};
    const int result = RUN_ALL_TESTS();
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no test matches the filter\n");
        return 1;
    }
    return result;
}
