// Runs a library's entry function at load and unload where the system loader does not.
//
// On Windows the loader calls DllMain itself. Elsewhere a module places
// PLATFORM_MODULE_ENTRY(DllMain) beside its entry function: a static object then calls
// it with the module's own handle (its load address, as on Windows) and
// DLL_PROCESS_ATTACH when the module is loaded, and with DLL_PROCESS_DETACH when it is
// unloaded.
#pragma once

#include "platform/windows_api.h"

#ifdef _WIN32
#define PLATFORM_MODULE_ENTRY(entry)
#else
namespace platform {

using ModuleEntryFunction = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

class ModuleEntryCaller {
public:
    explicit ModuleEntryCaller(ModuleEntryFunction entry)
        : m_entry(entry), m_module(ModuleHandleFromAddress(reinterpret_cast<const void*>(entry))) {
        m_entry(m_module, DLL_PROCESS_ATTACH, nullptr);
    }
    ~ModuleEntryCaller() { m_entry(m_module, DLL_PROCESS_DETACH, nullptr); }
    ModuleEntryCaller(const ModuleEntryCaller&) = delete;
    ModuleEntryCaller& operator=(const ModuleEntryCaller&) = delete;

private:
    ModuleEntryFunction m_entry;
    HINSTANCE m_module;
};

}  // namespace platform

#define PLATFORM_MODULE_ENTRY(entry) static ::platform::ModuleEntryCaller platformModuleEntryCaller(entry);
#endif
