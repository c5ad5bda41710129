// What the Windows test host is given on its command line.
#pragma once

#include <string>

#include "tests/support/plugin_library.h"

namespace zenthor::test {

struct TestEnvironment {
    std::string pluginPath;      // the built ZenthorMeshImport.dll
    std::string samplesContent;  // samples\content of the source tree, ending in a backslash
};

// Set by main before any test runs.
inline TestEnvironment g_environment;

// A fresh load of the plug-in: whoever loads it after it was unloaded finds it in its
// state at load.
struct LoadedPlugin : test::PluginLibrary {
    LoadedPlugin() : PluginLibrary(g_environment.pluginPath) {}
};

}  // namespace zenthor::test
