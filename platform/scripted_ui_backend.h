// A UI backend that plays a list of user actions and records what it was shown: for
// tests and for hosts that run without a user. POSIX only.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "platform/ui_backend.h"

namespace platform {

class PLATFORM_USER_API ScriptedUiBackend : public UiBackend {
public:
    struct EndedDialog {
        DialogView view;  // the dialog's last state
        INT_PTR result = 0;
    };

    explicit ScriptedUiBackend(std::vector<UiAction> actions = {});

    // Appends an action to the script.
    void Push(UiAction action);
    std::size_t PendingActions() const { return m_actions.size(); }

    // The answer of every message box (IDOK unless set).
    void SetMessageBoxAnswer(int answer) { m_messageBoxAnswer = answer; }
    void SetScreenRect(const RECT& rect) { m_screen = rect; }
    // Takes effect when the backend is installed.
    void SetMainWindowRect(std::optional<RECT> rect) { m_mainWindow = rect; }

    // Every view it was asked about, in order (one per action taken, plus one when the
    // script ran out while a dialog was open).
    const std::vector<DialogView>& Views() const { return m_views; }
    const std::vector<EndedDialog>& EndedDialogs() const { return m_ended; }
    const std::vector<MessageBoxView>& MessageBoxes() const { return m_messageBoxes; }

    std::optional<UiAction> NextDialogAction(const DialogView& dialog) override;
    void DialogEnded(const DialogView& dialog, INT_PTR result) override;
    int ShowMessageBox(const MessageBoxView& box) override;
    RECT ScreenRect() const override { return m_screen; }
    std::optional<RECT> MainWindowRect() const override { return m_mainWindow; }

private:
    std::deque<UiAction> m_actions;
    std::vector<DialogView> m_views;
    std::vector<EndedDialog> m_ended;
    std::vector<MessageBoxView> m_messageBoxes;
    int m_messageBoxAnswer = IDOK;
    RECT m_screen{0, 0, 1024, 768};
    std::optional<RECT> m_mainWindow;
};

}  // namespace platform
