// Resources of a module on POSIX. On Windows they are part of the module file and the
// loader finds them; here a module embeds the binary resource data (.res) that the
// resource compiler made from its script and registers it for its own module handle,
// so that LoadStringA, FindResourceA and DialogBoxParamA find it as they do on Windows.
// POSIX only.
#pragma once

#include <cstddef>

#include "platform/windows_api.h"

namespace platform {

// Parses `size` bytes of .res data and makes its resources those of `module`, replacing
// any registered before. The bytes are copied. Malformed data (a header or a resource
// that runs past the end, a misplaced field) registers nothing and gives false.
PLATFORM_USER_API bool RegisterModuleResources(HINSTANCE module, const void* resData, std::size_t size);

// Forgets the resources of `module` (when it is unloaded).
PLATFORM_USER_API void UnregisterModuleResources(HINSTANCE module);

// Registers embedded .res data for the module that contains it, for the lifetime of the
// object: a static object of this type, defined next to the data, registers the
// resources when its module is loaded and forgets them when it is unloaded.
class PLATFORM_USER_API ModuleResourceRegistration {
public:
    ModuleResourceRegistration(const void* resData, std::size_t size);
    ~ModuleResourceRegistration();
    ModuleResourceRegistration(const ModuleResourceRegistration&) = delete;
    ModuleResourceRegistration& operator=(const ModuleResourceRegistration&) = delete;

    HINSTANCE Module() const { return m_module; }
    bool Registered() const { return m_registered; }

private:
    HINSTANCE m_module = nullptr;
    bool m_registered = false;
};

}  // namespace platform
