// The test executable links the plug-in's compiled resources, which register
// themselves for the module that contains them: this executable.
#pragma once

#include "platform/windows_api.h"

namespace zenthor::test {

inline HINSTANCE TestModule() {
    return platform::ModuleHandleFromAddress(reinterpret_cast<const void*>(&TestModule));
}

}  // namespace zenthor::test
