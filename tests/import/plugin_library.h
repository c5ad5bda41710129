// The plug-in library loaded as a host loads it: dlopen, then the exported names only.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "host/class_desc.h"
#include "host/scene_import.h"

namespace zenthor::test {

class PluginLibrary {
public:
    PluginLibrary() : m_handle(dlopen(ZENTHOR_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (m_handle == nullptr) throw std::runtime_error(dlerror());
    }
    ~PluginLibrary() { dlclose(m_handle); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    template <typename Function>
    Function* Export(const char* name) const {
        return reinterpret_cast<Function*>(dlsym(m_handle, name));
    }
    void* Symbol(const char* name) const { return dlsym(m_handle, name); }

    ClassDesc* Descriptor() const { return Export<ClassDesc*(int)>("LibClassDesc")(0); }
    // A new importer, owned by the caller (deleted through SceneImport, as a host does).
    SceneImport* NewImporter() const { return static_cast<SceneImport*>(Descriptor()->Create(FALSE)); }

private:
    void* m_handle;
};

}  // namespace zenthor::test
