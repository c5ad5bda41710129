// The interactive UI backend: dialogs drawn on the terminal (dialog_screen.h) and driven
// from the keyboard, message boxes printed.
//
// Keys: Tab (or an arrow) moves the focus between the controls with a tab stop; Space
// clicks the focused control (toggles a check box, presses a button); q or Ctrl+C closes
// the dialog as its close box does; Enter and Escape reach the dialog as Enter and Escape
// do on the desktop, and the dialog decides what they mean. End of input closes the
// dialog. While a dialog is open the terminal is in raw mode on its alternate screen; both
// are restored when the dialog ends.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>

#include "app/hosting/dialog_report.h"
#include "platform/ui_backend.h"

namespace zenthor {

class TerminalUiBackend final : public platform::UiBackend {
public:
    // Reads keys from `inputFd` and draws on `outputFd` (both terminals); message boxes
    // go to `messages`.
    TerminalUiBackend(int inputFd, int outputFd, std::ostream& messages);
    ~TerminalUiBackend() override;
    TerminalUiBackend(const TerminalUiBackend&) = delete;
    TerminalUiBackend& operator=(const TerminalUiBackend&) = delete;

    std::optional<platform::UiAction> NextDialogAction(const platform::DialogView& dialog) override;
    void DialogEnded(const platform::DialogView& dialog, INT_PTR result) override;
    int ShowMessageBox(const platform::MessageBoxView& box) override;

    // The last dialog that ended; a default report when none has.
    DialogReport Report() const { return m_report; }

private:
    enum class Key { Next, Previous, Space, Enter, Escape, Close, EndOfInput, Other };

    Key ReadKey();
    void Draw(const platform::DialogView& dialog);
    void EnterScreen();
    void LeaveScreen();

    int m_in;
    int m_out;
    std::ostream& m_messages;
    struct SavedTerminal;
    std::unique_ptr<SavedTerminal> m_saved;  // set while the terminal is raw
    HWND m_dialog = nullptr;
    int m_focusId = 0;
    DialogReport m_report;
};

}  // namespace zenthor
