// DialogBoxParamA under the library's own activation context, as the isolation-aware
// wrappers of the Windows SDK headers do it (MinGW-w64's headers have none). The
// context comes from the manifest resource (id 2) of the module that this code is linked
// into; its side-by-side dependency decides which common-controls DLL serves the
// dialog's controls, whatever the host process itself asked for.
#include "platform/windows_api.h"

namespace platform {
namespace {

constexpr WORD kManifestResourceId = 2;

// Made on the first dialog rather than at load: DllMain must not create it under the
// loader lock. Kept for the rest of the process, released when the module is unloaded.
class ModuleActivationContext {
public:
    ModuleActivationContext() {
        HMODULE module =
            ModuleHandleFromAddress(reinterpret_cast<const void*>(&IsolationAwareDialogBoxParamA));
        if (module == nullptr) return;
        ACTCTXA description{};
        description.cbSize = sizeof description;
        description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        description.hModule = module;
        description.lpResourceName = MAKEINTRESOURCEA(kManifestResourceId);
        m_context = CreateActCtxA(&description);
    }
    ~ModuleActivationContext() {
        if (m_context != INVALID_HANDLE_VALUE) ReleaseActCtx(m_context);
    }
    ModuleActivationContext(const ModuleActivationContext&) = delete;
    ModuleActivationContext& operator=(const ModuleActivationContext&) = delete;

    HANDLE Get() const { return m_context; }

private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
};

}  // namespace

INT_PTR IsolationAwareDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                      DLGPROC dialogProc, LPARAM initParam) {
    // Tried once per process: a module without a usable manifest keeps failing.
    static const ModuleActivationContext context;
    ULONG_PTR cookie = 0;
    if (context.Get() == INVALID_HANDLE_VALUE || !ActivateActCtx(context.Get(), &cookie)) return -1;
    const INT_PTR result = DialogBoxParamA(instance, templateName, parent, dialogProc, initParam);
    // The caller may ask why the dialog failed; deactivating must not change the answer.
    const DWORD error = GetLastError();
    DeactivateActCtx(0, cookie);
    SetLastError(error);
    return result;
}

}  // namespace platform
