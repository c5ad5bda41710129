// The process's windows: the desktop, the host's main window, dialogs and their
// controls. Handles are numbers handed out once and looked up here, so a stale or
// made-up handle finds nothing instead of touching freed memory.
//
// One lock guards the table; it is never held while a dialog procedure or the UI
// backend runs, since both call back into the Windows functions.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui_backend.h"

namespace platform::user {

enum class WindowKind { Desktop, MainWindow, Dialog, Control };

struct Window {
    WindowKind kind = WindowKind::Control;
    HWND parent = nullptr;  // a dialog's owner, a control's dialog
    // Pixels: on the screen for top-level windows, in the parent's client area for controls.
    RECT rect{};

    // Controls only.
    DialogControl control;
    int check = 0;

    // Dialogs only.
    DialogHeader dialog;
    DLGPROC proc = nullptr;
    std::vector<HWND> children;
    HWND focus = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

class WindowTable {
public:
    static WindowTable& Instance();

    // Adds a window; a control is also appended to its dialog's children.
    HWND Create(Window window);
    // Removes a window and its children.
    void Destroy(HWND handle);

    std::optional<Window> Get(HWND handle) const;

    // Runs `change` on the window under the lock; false when there is no such window.
    template <typename Change>
    bool Update(HWND handle, Change&& change) {
        std::lock_guard lock(m_mutex);
        auto it = m_windows.find(handle);
        if (it == m_windows.end()) return false;
        change(it->second);
        return true;
    }

    // The first child of `dialog` with this id, or null.
    HWND FindChild(HWND dialog, int id) const;

    // A dialog's view as its backend is shown it.
    std::optional<DialogView> View(HWND dialog) const;

    HWND Desktop() const { return m_desktop; }

    // The open dialogs, innermost last: the innermost is the active window; with none
    // open the host's main window is.
    void PushDialog(HWND dialog);
    void PopDialog(HWND dialog);
    HWND Active() const;
    void SetMainWindow(HWND window);
    HWND MainWindow() const;

private:
    WindowTable();

    mutable std::mutex m_mutex;
    std::map<HWND, Window> m_windows;
    UINT_PTR m_nextHandle = 0x1000;
    HWND m_desktop = nullptr;
    HWND m_mainWindow = nullptr;
    std::vector<HWND> m_openDialogs;
};

// Dialog units to pixels for the dialogs' font: 8-point "MS Sans Serif" at 96 dots per
// inch has base units of 6 by 13 pixels, and a dialog unit is a quarter of the base
// width and an eighth of the base height (rounded as MulDiv rounds).
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// The frame around a dialog's client area: a 3-pixel border for framed dialogs and a
// 20-pixel caption for those with WS_CAPTION.
RECT FrameInsets(DWORD style);

}  // namespace platform::user
