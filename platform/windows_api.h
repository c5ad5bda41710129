// The Windows types, constants and calls that the system uses. On Windows this is
// <windows.h> itself; elsewhere the types are declared here and the calls are our
// own implementations in posix/. Nothing outside platform/ tests for _WIN32.
//
// On POSIX the user-interface calls keep state that must exist once per process, as
// user32.dll's does on Windows: the windows and dialogs, the UI backend that the host
// installs (platform/ui_backend.h), the active window and the resources of each module.
// They therefore live in their own shared library, zenthor_winapi (posix/user/), which
// the static zenthor_platform library links for every module that uses it.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// <windows.h> defines the old 16-bit pointer qualifiers near and far as empty macros,
// which would silently delete any variable of that name in the code that includes this
// header. FAR and NEAR stay defined (as nothing) for the Windows headers that use them.
#undef near
#undef far
#undef NEAR
#undef FAR
#define NEAR
#define FAR

// Our own platform functions are linked statically into each module on Windows.
#define PLATFORM_USER_API
#else
#include <cstdint>

// Exported from zenthor_winapi (built with hidden visibility like every library here).
#define PLATFORM_USER_API __attribute__((visibility("default")))

#define WINAPI
#define CALLBACK
#define APIENTRY

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using HANDLE = void*;
using HGLOBAL = void*;

// Opaque handles, distinct types as on Windows.
struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HRSRC__;
using HRSRC = HRSRC__*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<UINT_PTR>(r) >> 16) == 0)
#define LOWORD(l) (static_cast<WORD>(static_cast<UINT_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<UINT_PTR>(l) >> 16) & 0xffff))
#define MAKEWPARAM(l, h)                                              \
    (static_cast<WPARAM>((static_cast<DWORD>(static_cast<WORD>(l))) | \
                         (static_cast<DWORD>(static_cast<WORD>(h)) << 16)))

#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WORD BN_CLICKED = 0;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr WPARAM BST_INDETERMINATE = 2;
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;
// Window, dialog, button and static control styles.
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_RADIOBUTTON = 0x4;
constexpr DWORD BS_3STATE = 0x5;
constexpr DWORD BS_AUTO3STATE = 0x6;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_RIGHT = 0x2;
constexpr DWORD SS_NOTIFY = 0x100;

// The Windows calls, with the Windows signatures and results. Their behaviour on POSIX
// is documented where they are implemented (posix/user/); the dialog calls take their
// user input from the installed UI backend (platform/ui_backend.h).
extern "C" {

// Resources of a module registered with platform::RegisterModuleResources.
PLATFORM_USER_API int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
PLATFORM_USER_API HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
PLATFORM_USER_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
PLATFORM_USER_API LPVOID WINAPI LockResource(HGLOBAL resourceData);
PLATFORM_USER_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
PLATFORM_USER_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);

// Windows and dialogs.
PLATFORM_USER_API HWND WINAPI GetActiveWindow();
PLATFORM_USER_API HWND WINAPI GetDesktopWindow();
PLATFORM_USER_API HWND WINAPI GetParent(HWND window);
PLATFORM_USER_API BOOL WINAPI IsWindow(HWND window);
PLATFORM_USER_API BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
PLATFORM_USER_API BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                           UINT flags);
PLATFORM_USER_API INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                                 DLGPROC dialogProc, LPARAM initParam);
PLATFORM_USER_API BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
PLATFORM_USER_API HWND WINAPI GetDlgItem(HWND dialog, int id);
PLATFORM_USER_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_USER_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // extern "C"

#endif

namespace platform {

// DialogBoxParamA run under the activation context of the calling module's own manifest
// (resource type 24, id 2, of the module that this code is linked into: the plug-in), the
// isolation-aware form of the call: on Windows the context is created once per process,
// on first use, and the call gives -1 without showing anything when it cannot be created
// or activated. Elsewhere there are no activation
// contexts and it is DialogBoxParamA itself. The import driver calls this one.
INT_PTR IsolationAwareDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                      DLGPROC dialogProc, LPARAM initParam);

// The handle of the loaded module (executable or shared library) that contains
// `address`, as the module's instance handle is known to the Windows calls; null when
// the address belongs to no module. On POSIX it is the module's load address.
PLATFORM_USER_API HMODULE ModuleHandleFromAddress(const void* address);

}  // namespace platform
