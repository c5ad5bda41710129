#include "tests/windows/plugin_library.h"

#include <string>

#include "tests/windows/check.h"
#include "tests/windows/test_environment.h"

namespace zenthor::wintest {

PluginLibrary::PluginLibrary() : m_module(LoadLibraryA(g_environment.pluginPath.c_str())) {
    Require(m_module != nullptr, "LoadLibraryA(" + g_environment.pluginPath + ") succeeds; error " +
                                     std::to_string(GetLastError()));
}

PluginLibrary::~PluginLibrary() {
    if (m_module != nullptr) FreeLibrary(m_module);
}

ClassDesc& PluginLibrary::ImporterClass() const {
    const auto libClassDesc = Find<ClassDesc* (*)(int)>("LibClassDesc");
    Require(libClassDesc != nullptr, "LibClassDesc is exported");
    ClassDesc* classDesc = libClassDesc(0);
    Require(classDesc != nullptr, "LibClassDesc(0) gives the class descriptor");
    return *classDesc;
}

ImporterPointer CreateImporter(ClassDesc& classDesc) {
    // Create hands the object over as the base class that the super-class id names.
    ImporterPointer importer(static_cast<SceneImport*>(classDesc.Create(FALSE)));
    Require(importer != nullptr, "the class descriptor creates an importer");
    return importer;
}

}  // namespace zenthor::wintest
