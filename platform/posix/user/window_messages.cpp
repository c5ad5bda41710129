#include "platform/posix/user/window_messages.h"

#include <algorithm>

#include "platform/posix/user/window_table.h"

using platform::ControlKind;
using platform::user::Window;
using platform::user::WindowKind;
using platform::user::WindowTable;

namespace {

constexpr WORD kStaticClicked = 0;  // STN_CLICKED

bool HasCheckMark(ControlKind kind) {
    return kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

bool IsThreeState(DWORD style) {
    DWORD type = style & BS_TYPEMASK;
    return type == BS_3STATE || type == BS_AUTO3STATE;
}

void SendCommand(HWND dialog, int id, WORD notification, HWND control) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control));
}

}  // namespace

namespace platform::user {

void ClickControl(HWND handle) {
    auto window = WindowTable::Instance().Get(handle);
    if (!window || window->kind != WindowKind::Control || (window->control.style & WS_DISABLED)) return;
    const DialogControl& control = window->control;
    HWND dialog = window->parent;
    if (IsButton(control.kind) && control.kind != ControlKind::GroupBox) {
        // The mark changes, and the button takes the focus, before the dialog hears of it.
        WindowTable::Instance().Update(handle, [&](Window& w) {
            DWORD type = control.style & BS_TYPEMASK;
            if (type == BS_AUTOCHECKBOX) w.check = w.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            if (type == BS_AUTO3STATE) w.check = (w.check + 1) % 3;
        });
        WindowTable::Instance().Update(dialog, [&](Window& w) { w.focus = handle; });
        SendCommand(dialog, control.id, BN_CLICKED, handle);
    } else if (control.kind == ControlKind::Static && (control.style & SS_NOTIFY)) {
        SendCommand(dialog, control.id, kStaticClicked, handle);
    }
}

}  // namespace platform::user

// A dialog gets every message through its dialog procedure, whose result is returned.
// Buttons answer BM_GETCHECK, BM_SETCHECK and BM_CLICK; other messages give 0.
extern "C" LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = WindowTable::Instance().Get(window);
    if (!found) return 0;
    if (found->kind == WindowKind::Dialog) {
        return found->proc != nullptr ? found->proc(window, message, wParam, lParam) : 0;
    }
    if (found->kind != WindowKind::Control || !IsButton(found->control.kind)) return 0;
    const ControlKind kind = found->control.kind;
    switch (message) {
        case BM_GETCHECK:
            return HasCheckMark(kind) ? found->check : 0;
        case BM_SETCHECK:
            if (!HasCheckMark(kind)) return 0;
            WindowTable::Instance().Update(window, [&](Window& w) {
                w.check = IsThreeState(w.control.style)
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
