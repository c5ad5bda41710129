// Without activation contexts the isolation-aware call is the plain one.
#include "platform/windows_api.h"

namespace platform {

INT_PTR IsolationAwareDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                      DLGPROC dialogProc, LPARAM initParam) {
    return DialogBoxParamA(instance, templateName, parent, dialogProc, initParam);
}

}  // namespace platform
