// The window calls: handles, geometry, messages to dialogs and their controls.
#include <algorithm>
#include <strings.h>

#include "platform/posix/user/dialog_actions.h"
#include "platform/posix/user/window_table.h"

using platform::user::Window;
using platform::user::WindowKind;
using platform::user::WindowTable;

namespace {

bool IsButton(const Window& window) {
    return window.kind == WindowKind::Control &&
           (window.classAtom == 0x80 || strcasecmp(window.className.c_str(), "Button") == 0);
}

bool HasCheckMark(DWORD style) {
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_AUTORADIOBUTTON:
            return true;
        default:
            return false;
    }
}

bool IsThreeState(DWORD style) {
    DWORD type = style & BS_TYPEMASK;
    return type == BS_3STATE || type == BS_AUTO3STATE;
}

// The top-left corner of a window's client area on the screen.
bool ClientOrigin(HWND handle, LONG& x, LONG& y) {
    RECT rect{};
    auto window = WindowTable::Instance().Get(handle);
    if (!window || !GetWindowRect(handle, &rect)) return false;
    RECT insets = window->kind == WindowKind::Dialog ? platform::user::FrameInsets(window->style) : RECT{};
    x = rect.left + insets.left;
    y = rect.top + insets.top;
    return true;
}

}  // namespace

extern "C" HWND WINAPI GetActiveWindow() {
    return WindowTable::Instance().Active();
}

extern "C" HWND WINAPI GetDesktopWindow() {
    return WindowTable::Instance().Desktop();
}

// A dialog's parent is its owner, a control's its dialog.
extern "C" HWND WINAPI GetParent(HWND window) {
    auto found = WindowTable::Instance().Get(window);
    return found ? found->parent : nullptr;
}

extern "C" BOOL WINAPI IsWindow(HWND window) {
    return WindowTable::Instance().Get(window) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    auto found = WindowTable::Instance().Get(window);
    if (!found || rect == nullptr) return FALSE;
    switch (found->kind) {
        case WindowKind::Desktop:
            *rect = platform::CurrentUiBackend().ScreenRect();
            return TRUE;
        case WindowKind::Control: {
            LONG x = 0, y = 0;
            if (!ClientOrigin(found->parent, x, y)) return FALSE;
            *rect = {found->rect.left + x, found->rect.top + y, found->rect.right + x,
                     found->rect.bottom + y};
            return TRUE;
        }
        default:
            *rect = found->rect;
            return TRUE;
    }
}

// Moves and sizes a window (top-level windows in screen pixels, controls in their
// dialog's client area); z-order and activation flags change nothing here.
extern "C" BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (window == GetDesktopWindow()) return FALSE;
    return WindowTable::Instance().Update(window,
                                          [&](Window& w) {
                                              LONG width = w.rect.right - w.rect.left;
                                              LONG height = w.rect.bottom - w.rect.top;
                                              if (!(flags & SWP_NOSIZE)) {
                                                  width = std::max(cx, 0);
                                                  height = std::max(cy, 0);
                                              }
                                              if (!(flags & SWP_NOMOVE)) {
                                                  w.rect.left = x;
                                                  w.rect.top = y;
                                              }
                                              w.rect.right = w.rect.left + width;
                                              w.rect.bottom = w.rect.top + height;
                                          })
               ? TRUE
               : FALSE;
}

extern "C" HWND WINAPI GetDlgItem(HWND dialog, int id) {
    return WindowTable::Instance().FindChild(dialog, id);
}

// Ends a dialog once control returns to its runner; the last call's result counts.
extern "C" BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    bool isDialog = false;
    WindowTable::Instance().Update(dialog, [&](Window& w) {
        if (w.kind != WindowKind::Dialog) return;
        isDialog = true;
        w.ended = true;
        w.result = result;
    });
    return isDialog ? TRUE : FALSE;
}

// A dialog gets every message through its dialog procedure, whose result is returned.
// Buttons answer BM_GETCHECK, BM_SETCHECK and BM_CLICK; other messages give 0.
extern "C" LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = WindowTable::Instance().Get(window);
    if (!found) return 0;
    if (found->kind == WindowKind::Dialog) {
        return found->proc != nullptr ? found->proc(window, message, wParam, lParam) : 0;
    }
    if (!IsButton(*found)) return 0;
    switch (message) {
        case BM_GETCHECK:
            return HasCheckMark(found->style) ? found->check : 0;
        case BM_SETCHECK:
            WindowTable::Instance().Update(window, [&](Window& w) {
                if (!HasCheckMark(w.style)) return;
                w.check = IsThreeState(w.style)
                              ? static_cast<int>(std::min<WPARAM>(wParam, BST_INDETERMINATE))
                              : (wParam != BST_UNCHECKED ? 1 : 0);
            });
            return 0;
        case BM_CLICK:
            platform::user::ClickControl(window);
            return 0;
        default:
            return 0;
    }
}
