// The Windows test host: loads the plug-in DLL as a host does and runs the tests.
//
//   zenthor_windows_tests.exe PLUGIN_DLL SAMPLES_CONTENT_FOLDER [NAME_FILTER]
#include <cstdio>
#include <string>

#include "tests/windows/check.h"
#include "tests/windows/test_environment.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s PLUGIN_DLL SAMPLES_CONTENT_FOLDER [NAME_FILTER]\n", argv[0]);
        return 2;
    }
    std::string samples = argv[2];
    if (samples.empty() || samples.back() != '\\') samples += '\\';
    zenthor::wintest::g_environment = {argv[1], samples};
    return zenthor::wintest::RunTests(argc == 4 ? argv[3] : "") == 0 ? 0 : 1;
}
