// What the Windows test host is given on its command line.
#pragma once

#include <string>

namespace zenthor::wintest {

struct TestEnvironment {
    std::string pluginPath;      // the built ZenthorMeshImport.dll
    std::string samplesContent;  // samples\content of the source tree, ending in a backslash
};

const TestEnvironment& Environment();
void SetEnvironment(TestEnvironment environment);

}  // namespace zenthor::wintest
