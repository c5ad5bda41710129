// What the Windows test host is given on its command line.
#pragma once

#include <string>

namespace zenthor::wintest {

struct TestEnvironment {
    std::string pluginPath;      // the built ZenthorMeshImport.dll
    std::string samplesContent;  // samples\content of the source tree, ending in a backslash
};

// Set by main before any test runs.
inline TestEnvironment g_environment;

}  // namespace zenthor::wintest
