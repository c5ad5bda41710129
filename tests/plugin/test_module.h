// The test executable links the plug-in's compiled resources, which register
// themselves for the module that contains them: this executable.
#pragma once

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/windows_api.h"

namespace zenthor::test {

inline HINSTANCE TestModule() {
    return platform::ModuleHandleFromAddress(reinterpret_cast<const void*>(&TestModule));
}

// The .res file that the build compiled from the resource script.
inline std::vector<std::uint8_t> CompiledResFile() {
    std::ifstream in(ZENTHOR_PLUGIN_RES_FILE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zenthor::test
