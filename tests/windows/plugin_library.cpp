#include "tests/windows/plugin_library.h"

#include "tests/windows/check.h"
#include "tests/windows/test_environment.h"

namespace zenthor::wintest {

PluginLibrary::PluginLibrary() : m_module(LoadLibraryA(Environment().pluginPath.c_str())) {
    Require(m_module != nullptr, "LoadLibraryA(" + Environment().pluginPath + ") failed with error " +
                                     std::to_string(GetLastError()));
}

PluginLibrary::~PluginLibrary() {
    if (m_module != nullptr) FreeLibrary(m_module);
}

FARPROC PluginLibrary::ByName(const char* name) const {
    return GetProcAddress(m_module, name);
}

FARPROC PluginLibrary::ByOrdinal(WORD ordinal) const {
    return GetProcAddress(m_module, MAKEINTRESOURCEA(ordinal));
}

ClassDesc& PluginLibrary::ImporterClass() const {
    const auto libClassDesc = Find<LibClassDescFunction>("LibClassDesc");
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
