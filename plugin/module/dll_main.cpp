// The library's entry function: keeps the module handle for the string table
// and the dialog template.
#include "platform/module_entry.h"
#include "platform/windows_api.h"
#include "plugin/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        zenthor::hInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

PLATFORM_MODULE_ENTRY(DllMain)
