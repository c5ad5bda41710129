// Where the POSIX stand-ins of the Windows dialog and message-box calls get their user.
//
// The host installs one UiBackend per process (SetUiBackend). DialogBoxParamA builds the
// dialog from its template, sends WM_INITDIALOG, then shows the dialog to the backend as
// a DialogView and asks it for the user's next action, again and again until the dialog
// procedure calls EndDialog. MessageBoxA shows its box to the backend and returns the
// backend's answer. The backends that come with the platform are NoUiBackend (the
// default: no dialog can be created) and ScriptedUiBackend (scripted_ui_backend.h).
//
// A backend is called on the thread that runs the dialog or message box, never from
// inside the platform's own locks, so it may call the Windows functions itself.
// POSIX only: on Windows the real user interface is used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/windows_api.h"

namespace platform {

// One control as the user would see it now: as its template gives it, with its state.
struct ControlView : DialogControl {
    HWND handle = nullptr;
    int check = 0;  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE (buttons)
    bool focused = false;
};

// A dialog as the user would see it now: everything needed to draw it as its template
// lays it out. Controls are in template order, which is also the tab order.
struct DialogView : DialogHeader {
    HWND handle = nullptr;
    HWND owner = nullptr;
    RECT windowRect{};  // where the dialog window stands on the screen, in pixels
    std::vector<ControlView> controls;

    // The first control with this id, or null.
    const ControlView* FindControl(int id) const {
        for (const ControlView& control : controls) {
            if (control.id == id) return &control;
        }
        return nullptr;
    }
};

struct MessageBoxView {
    HWND owner = nullptr;
    std::string title;
    std::string text;
    UINT style = 0;
};

// What the user does next in a dialog. The dialog runner delivers each action as Windows
// does:
// - Click: on a button, an automatic check box first toggles its mark (an automatic
//   three-state box steps through its three states), then WM_COMMAND (id, BN_CLICKED)
//   goes to the dialog; a group box ignores clicks. A static control notifies only with
//   SS_NOTIFY. Unknown ids and disabled controls are ignored.
// - Close: the caption's close button (or Alt+F4): WM_CLOSE; when the dialog procedure
//   does not handle it (returns 0), WM_COMMAND IDCANCEL follows, as the default dialog
//   procedure does.
// - Enter: WM_COMMAND with the id of the dialog's default push button, or IDOK (1) when
//   it has none. Escape: WM_COMMAND IDCANCEL (2).
struct UiAction {
    enum class Kind { Click, Close, Enter, Escape };
    Kind kind = Kind::Close;
    int controlId = 0;  // Click only

    static UiAction Click(int id) { return {Kind::Click, id}; }
    static UiAction Close() { return {Kind::Close, 0}; }
    static UiAction Enter() { return {Kind::Enter, 0}; }
    static UiAction Escape() { return {Kind::Escape, 0}; }
    friend bool operator==(const UiAction&, const UiAction&) = default;
};

class PLATFORM_USER_API UiBackend {
public:
    virtual ~UiBackend();

    // False when no dialog can be created: DialogBoxParamA then gives -1 at once.
    virtual bool CanShowDialogs() const { return true; }

    // Shows the dialog as it is now and returns the user's next action. No action
    // (nullopt) means that no more input will come: the runner then closes the dialog
    // as the caption's close button would, and should the dialog procedure keep it open
    // even so, ends it with -1. The dialog never waits on an exhausted backend.
    virtual std::optional<UiAction> NextDialogAction(const DialogView& dialog) = 0;

    // The dialog has ended with `result`; `dialog` is its last state.
    virtual void DialogEnded(const DialogView& dialog, INT_PTR result) {}

    // Shows a message box and returns the id of the button that closed it (IDOK...),
    // or 0 when it cannot be shown.
    virtual int ShowMessageBox(const MessageBoxView& box) = 0;

    // The screen, in pixels: GetDesktopWindow's rectangle.
    virtual RECT ScreenRect() const { return {0, 0, 1024, 768}; }

    // The host's main window, in screen pixels, when it has one: it becomes a window of
    // its own, which GetActiveWindow gives while no dialog is open. None by default, and
    // then GetActiveWindow gives null.
    virtual std::optional<RECT> MainWindowRect() const { return std::nullopt; }
};

// The backend of a process that has no user: dialogs give -1 and message boxes 0.
// It is in place until the host installs another.
class PLATFORM_USER_API NoUiBackend final : public UiBackend {
public:
    bool CanShowDialogs() const override { return false; }
    std::optional<UiAction> NextDialogAction(const DialogView&) override { return std::nullopt; }
    int ShowMessageBox(const MessageBoxView&) override { return 0; }
};

// Installs `backend` for the whole process (null: back to NoUiBackend) and returns the
// one that was installed before (null for the default). The caller keeps ownership and
// keeps the backend alive, and does not swap it while a dialog is open. Installing a
// backend (re)creates the host's main window from its MainWindowRect.
PLATFORM_USER_API UiBackend* SetUiBackend(UiBackend* backend);

// The installed backend; never null.
PLATFORM_USER_API UiBackend& CurrentUiBackend();

// Installs a backend for the length of a scope, then puts the previous one back.
class ScopedUiBackend {
public:
    explicit ScopedUiBackend(UiBackend& backend) : m_previous(SetUiBackend(&backend)) {}
    ~ScopedUiBackend() { SetUiBackend(m_previous); }
    ScopedUiBackend(const ScopedUiBackend&) = delete;
    ScopedUiBackend& operator=(const ScopedUiBackend&) = delete;

private:
    UiBackend* m_previous;
};

}  // namespace platform
