#include "platform/module_library.h"

#include <dlfcn.h>
#include <link.h>

namespace platform {

ModuleLibrary::ModuleLibrary(const std::string& path)
    : m_library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (m_library == nullptr) {
        const char* why = dlerror();
        m_error = why != nullptr ? why : "it cannot be loaded";
    }
}

ModuleLibrary::~ModuleLibrary() {
    if (m_library != nullptr) dlclose(m_library);
}

HMODULE ModuleLibrary::Handle() const {
    // The handle is the load address, which the module handle calls take from any
    // address inside the library: here its dynamic section.
    link_map* map = nullptr;
    if (m_library == nullptr || dlinfo(m_library, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return ModuleHandleFromAddress(map->l_ld);
}

ModuleLibrary::Function ModuleLibrary::Export(const char* name) const {
    return m_library != nullptr ? reinterpret_cast<Function>(dlsym(m_library, name)) : nullptr;
}

}  // namespace platform
