// Plays the user for the plug-in's settings dialog and summary message box, on the
// thread that runs the import.
//
// A thread-local WH_CBT hook sees each window as it is activated. When the settings
// dialog is activated, the script records what it shows and posts its steps to it as
// clicks and key presses, which the dialog's own modal loop then delivers as it would the
// user's; a WH_CALLWNDPROC hook records the commands that reach the dialog. When the
// summary message box is activated, the script records the box and clicks OK. Everything
// happens on the one thread, through posted messages: no other thread waits on these
// windows.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/windows_api.h"

namespace zenthor::test {

enum class Step {
    ClickBox,     // a click on "Include lods"
    ClickLetsGo,  // a click on "Lets GO !"
    Close,        // the caption's close button
    Enter,        // Enter, with the focus on the box
    Escape,       // Escape, with the focus on the box
};

struct DialogSeen {
    HWND window = nullptr;  // null once the dialog is destroyed
    HWND owner = nullptr;
    bool boxMarked = false;  // when the dialog opened
    int firstFocusId = 0;    // the control that had the focus first
    RECT rect{};
    std::vector<int> commands;  // ids of the WM_COMMAND messages sent to the dialog
};

class UserScript {
public:
    // Installs the hooks for this thread until the object is destroyed. `steps` are what
    // the user does in each settings dialog that opens.
    explicit UserScript(std::vector<Step> steps);
    ~UserScript();
    UserScript(const UserScript&) = delete;
    UserScript& operator=(const UserScript&) = delete;

    const std::vector<DialogSeen>& Dialogs() const { return m_dialogs; }
    // The texts of the summary message boxes shown, each answered with OK.
    const std::vector<std::string>& SummaryTexts() const { return m_summaryTexts; }
    // Titles of any other window that was activated (and closed by the script).
    const std::vector<std::string>& OtherWindows() const { return m_otherWindows; }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);
    void Activated(HWND window);
    void FocusMoved(HWND window);
    void Destroyed(HWND window);
    DialogSeen* OpenDialog(HWND window);
    void PlayDialog(HWND dialog);
    void AnswerMessageBox(HWND box);

    std::vector<Step> m_steps;
    HHOOK m_hook = nullptr;
    HHOOK m_commandHook = nullptr;
    std::vector<HWND> m_handled;
    std::vector<DialogSeen> m_dialogs;
    std::vector<std::string> m_summaryTexts;
    std::vector<std::string> m_otherWindows;
    std::vector<std::pair<HWND, int>> m_focusBeforeActivation;  // settings dialog, control id
};

// A plain top-level window that stands for the host's main window: visible and active,
// so that the import driver's GetActiveWindow finds it.
class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

}  // namespace zenthor::test
