#include "platform/module_library.h"

namespace platform {

ModuleLibrary::ModuleLibrary(const std::string& path) : m_library(LoadLibraryA(path.c_str())) {
    if (m_library == nullptr) m_error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
}

ModuleLibrary::~ModuleLibrary() {
    if (m_library != nullptr) FreeLibrary(Handle());
}

HMODULE ModuleLibrary::Handle() const {
    return static_cast<HMODULE>(m_library);
}

ModuleLibrary::Function ModuleLibrary::Export(const char* name) const {
    return m_library != nullptr ? reinterpret_cast<Function>(GetProcAddress(Handle(), name)) : nullptr;
}

ModuleLibrary::Function ModuleLibrary::Export(WORD ordinal) const {
    return m_library != nullptr
               ? reinterpret_cast<Function>(GetProcAddress(Handle(), MAKEINTRESOURCEA(ordinal)))
               : nullptr;
}

}  // namespace platform
