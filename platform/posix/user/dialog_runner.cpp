// DialogBoxParamA: the modal dialog loop, fed by the installed UI backend.
#include "platform/posix/user/resource_registry.h"
#include "platform/posix/user/template_reader.h"
#include "platform/posix/user/window_messages.h"
#include "platform/posix/user/window_table.h"

using platform::ControlKind;
using platform::UiAction;
using platform::user::Window;
using platform::user::WindowKind;
using platform::user::WindowTable;

namespace {

void SendCommand(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The dialog and its controls as windows, for the length of one DialogBoxParamA; while
// they exist the dialog is the active window.
class DialogWindows {
public:
    DialogWindows(const platform::user::DialogTemplate& dialog, HWND owner, DLGPROC proc) {
        WindowTable& table = WindowTable::Instance();
        Window window;
        window.kind = WindowKind::Dialog;
        window.parent = owner;
        window.dialog = dialog;
        window.proc = proc;
        window.rect = InitialRect(dialog, owner);
        m_dialog = table.Create(std::move(window));

        for (const platform::DialogControl& item : dialog.controls) {
            Window control;
            control.kind = WindowKind::Control;
            control.parent = m_dialog;
            control.control = item;
            LONG left = platform::user::DialogUnitsToPixelsX(item.rect.x);
            LONG top = platform::user::DialogUnitsToPixelsY(item.rect.y);
            control.rect = {left, top, left + platform::user::DialogUnitsToPixelsX(item.rect.cx),
                            top + platform::user::DialogUnitsToPixelsY(item.rect.cy)};
            table.Create(std::move(control));
        }
        table.PushDialog(m_dialog);
    }

    ~DialogWindows() {
        WindowTable::Instance().PopDialog(m_dialog);
        WindowTable::Instance().Destroy(m_dialog);
    }

    DialogWindows(const DialogWindows&) = delete;
    DialogWindows& operator=(const DialogWindows&) = delete;

    HWND Handle() const { return m_dialog; }

private:
    // The template's position counts from the owner's client area, or from the screen's
    // corner when there is no owner; the size is the client area plus the frame.
    static RECT InitialRect(const platform::DialogHeader& dialog, HWND owner) {
        RECT origin{};
        if (owner == nullptr || !GetWindowRect(owner, &origin)) GetWindowRect(GetDesktopWindow(), &origin);
        if (auto ownerWindow = WindowTable::Instance().Get(owner);
            ownerWindow && ownerWindow->kind == WindowKind::Dialog) {
            RECT insets = platform::user::FrameInsets(ownerWindow->dialog.style);
            origin.left += insets.left;
            origin.top += insets.top;
        }
        RECT frame = platform::user::FrameInsets(dialog.style);
        LONG left = origin.left + platform::user::DialogUnitsToPixelsX(dialog.rect.x);
        LONG top = origin.top + platform::user::DialogUnitsToPixelsY(dialog.rect.y);
        LONG width = platform::user::DialogUnitsToPixelsX(dialog.rect.cx) + frame.left + frame.right;
        LONG height = platform::user::DialogUnitsToPixelsY(dialog.rect.cy) + frame.top + frame.bottom;
        return {left, top, left + width, top + height};
    }

    HWND m_dialog = nullptr;
};

// The first control of `dialog` that passes `test`, or null.
template <typename Test>
HWND FindControl(HWND dialog, Test&& test) {
    auto window = WindowTable::Instance().Get(dialog);
    if (!window) return nullptr;
    for (HWND child : window->children) {
        auto control = WindowTable::Instance().Get(child);
        if (control && test(control->control)) return child;
    }
    return nullptr;
}

// The first visible, enabled control with a tab stop: where the focus starts.
HWND FirstTabStop(HWND dialog) {
    return FindControl(dialog, platform::IsTabStop);
}

// The id that Enter sends: the default push button's, else IDOK.
int DefaultButtonId(HWND dialog) {
    HWND button = FindControl(dialog, [](const platform::DialogControl& control) {
        return control.kind == ControlKind::PushButton && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    });
    auto window = WindowTable::Instance().Get(button);
    return window ? window->control.id : IDOK;
}

bool HasEnded(HWND dialog) {
    auto window = WindowTable::Instance().Get(dialog);
    return !window || window->ended;
}

// One action of the UI backend on the open dialog.
void DeliverAction(HWND dialog, const UiAction& action) {
    switch (action.kind) {
        case UiAction::Kind::Click:
            if (HWND control = GetDlgItem(dialog, action.controlId)) platform::user::ClickControl(control);
            break;
        case UiAction::Kind::Close:
            // The default dialog procedure turns an unhandled close into Cancel.
            if (SendMessageA(dialog, WM_CLOSE, 0, 0) == 0 && !HasEnded(dialog)) SendCommand(dialog, IDCANCEL);
            break;
        case UiAction::Kind::Enter:
            SendCommand(dialog, DefaultButtonId(dialog));
            break;
        case UiAction::Kind::Escape:
            SendCommand(dialog, IDCANCEL);
            break;
    }
}

}  // namespace

// Runs a modal dialog from the template resource `templateName` of `instance` and
// returns what the dialog procedure gave EndDialog. -1 when the dialog cannot be
// created: no backend that shows dialogs, no dialog procedure, no such template or a
// malformed one. A backend that runs out of input closes the dialog as the caption's
// close button would (and a dialog that stays open even so ends with -1); a backend
// that throws ends it with -1.
extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                          DLGPROC dialogProc, LPARAM initParam) {
    platform::UiBackend& backend = platform::CurrentUiBackend();
    if (!backend.CanShowDialogs() || dialogProc == nullptr || templateName == nullptr) return -1;
    auto data = platform::user::CopyResourceData(instance, RT_DIALOG, templateName);
    if (!data) return -1;
    auto dialogTemplate = platform::user::ReadDialogTemplateEx(*data);
    if (!dialogTemplate) return -1;

    DialogWindows windows(*dialogTemplate, IsWindow(parent) ? parent : nullptr, dialogProc);
    HWND dialog = windows.Handle();
    HWND firstTabStop = FirstTabStop(dialog);
    // A non-zero answer asks for the focus on the first tab stop.
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam) != 0) {
        WindowTable::Instance().Update(dialog, [&](Window& w) {
            if (w.focus == nullptr) w.focus = firstTabStop;
        });
    }

    while (!HasEnded(dialog)) {
        std::optional<UiAction> action;
        try {
            action = backend.NextDialogAction(*WindowTable::Instance().View(dialog));
        } catch (...) {
            EndDialog(dialog, -1);
            break;
        }
        if (action) {
            DeliverAction(dialog, *action);
            continue;
        }
        DeliverAction(dialog, UiAction::Close());
        if (!HasEnded(dialog)) EndDialog(dialog, -1);
    }

    auto last = WindowTable::Instance().Get(dialog);
    INT_PTR result = last ? last->result : -1;
    try {
        backend.DialogEnded(*WindowTable::Instance().View(dialog), result);
    } catch (...) {
        // The dialog is over either way.
    }
    return result;
}
