// The window calls: handles, geometry and the end of a dialog.
#include <algorithm>

#include "platform/posix/user/window_table.h"

using platform::user::Window;
using platform::user::WindowKind;
using platform::user::WindowTable;

namespace {

// The top-left corner of a window's client area on the screen.
bool ClientOrigin(HWND handle, LONG& x, LONG& y) {
    RECT rect{};
    auto window = WindowTable::Instance().Get(handle);
    if (!window || !GetWindowRect(handle, &rect)) return false;
    RECT insets =
        window->kind == WindowKind::Dialog ? platform::user::FrameInsets(window->dialog.style) : RECT{};
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
