// Module handles on POSIX: a module's handle is its load address, found with dladdr
// from any address inside it, as a Windows module handle is its base address.
#include <dlfcn.h>

#include "platform/windows_api.h"

namespace platform {

HMODULE ModuleHandleFromAddress(const void* address) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

}  // namespace platform

// There are no thread attach and detach calls to turn off here.
extern "C" BOOL WINAPI DisableThreadLibraryCalls(HMODULE module) {
    return module != nullptr ? TRUE : FALSE;
}
