// The module that contains an address, without taking a reference on it.
#include "platform/windows_api.h"

namespace platform {

HMODULE ModuleHandleFromAddress(const void* address) {
    HMODULE module = nullptr;
    if (address == nullptr || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                  static_cast<LPCSTR>(address), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace platform
