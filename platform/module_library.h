// A shared library (a DLL on Windows) loaded at run time and used only through the
// functions it exports, as a host loads its plug-ins; unloaded when the object goes.
#pragma once

#include <string>

#include "platform/windows_api.h"

namespace platform {

class ModuleLibrary {
public:
    // Any exported function, before it is given its signature.
    using Function = void (*)();

    // Loads `path`. When that fails the object holds no library and Error() says why.
    explicit ModuleLibrary(const std::string& path);
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    bool IsLoaded() const { return m_library != nullptr; }
    const std::string& Error() const { return m_error; }
    // The library's module handle, as the Windows calls know it (its load address).
    HMODULE Handle() const;

    // The function exported under `name`; null when there is none.
    Function Export(const char* name) const;
#ifdef _WIN32
    // The function exported at `ordinal`; null when there is none.
    Function Export(WORD ordinal) const;
#endif
    // The export `name` as the caller's signature, e.g. Find<int()>("LibNumberClasses").
    template <class Signature>
    Signature* Find(const char* name) const {
        return reinterpret_cast<Signature*>(Export(name));
    }

    // Leaves the library loaded for the rest of the process, for objects it made that
    // may be in use until the end.
    void KeepLoaded() {
        m_library = nullptr;
    }

private:
    void* m_library = nullptr;  // the dlopen handle; the HMODULE on Windows
    std::string m_error;
};

}  // namespace platform
