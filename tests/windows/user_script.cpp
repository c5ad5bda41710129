#include "tests/windows/user_script.h"

#include <algorithm>
#include <stdexcept>

#include "import/import_summary.h"
#include "plugin/resource.h"

namespace zenthor::test {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kSettingsTitle[] = "Zenthor Models Importer";
// The id of a message box's text, on Windows and under Wine.
constexpr int kMessageBoxTextId = 0xFFFF;

UserScript* g_script = nullptr;  // the one installed on the test thread

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialogTitled(HWND window, const char* title) {
    return window != nullptr && ClassOf(window) == kDialogClass && WindowText(window) == title;
}

// A precondition of every test that uses the script; throwing fails that test.
void Demand(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(std::string("failed: ") + what);
}

}  // namespace

UserScript::UserScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    Demand(g_script == nullptr, "one user script at a time");
    m_hook = SetWindowsHookExA(WH_CBT, &UserScript::CbtHook, nullptr, GetCurrentThreadId());
    m_commandHook =
        SetWindowsHookExA(WH_CALLWNDPROC, &UserScript::CallWndHook, nullptr, GetCurrentThreadId());
    Demand(m_hook != nullptr && m_commandHook != nullptr, "the hooks are installed");
    g_script = this;
}

UserScript::~UserScript() {
    UnhookWindowsHookEx(m_commandHook);
    UnhookWindowsHookEx(m_hook);
    g_script = nullptr;
}

LRESULT CALLBACK UserScript::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (g_script != nullptr && code == HCBT_ACTIVATE) g_script->Activated(window);
    if (g_script != nullptr && code == HCBT_SETFOCUS) g_script->FocusMoved(window);
    if (g_script != nullptr && code == HCBT_DESTROYWND) g_script->Destroyed(window);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK UserScript::CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (g_script != nullptr && code == HC_ACTION && message->message == WM_COMMAND) {
        if (DialogSeen* dialog = g_script->OpenDialog(message->hwnd)) {
            dialog->commands.push_back(LOWORD(message->wParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void UserScript::Activated(HWND window) {
    if (std::find(m_handled.begin(), m_handled.end(), window) != m_handled.end()) return;
    m_handled.push_back(window);
    if (IsDialogTitled(window, kSettingsTitle)) {
        PlayDialog(window);
    } else if (IsDialogTitled(window, kImportSummaryTitle)) {
        AnswerMessageBox(window);
    } else if (ClassOf(window) == kDialogClass) {
        m_otherWindows.push_back(WindowText(window));
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

void UserScript::FocusMoved(HWND window) {
    const HWND parent = window != nullptr ? GetParent(window) : nullptr;
    if (!IsDialogTitled(parent, kSettingsTitle)) return;
    if (DialogSeen* dialog = OpenDialog(parent)) {
        if (dialog->firstFocusId == 0) dialog->firstFocusId = GetDlgCtrlID(window);
    } else {
        m_focusBeforeActivation.emplace_back(parent, GetDlgCtrlID(window));
    }
}

void UserScript::Destroyed(HWND window) {
    // A later window may get the same handle; to the script it is a new window.
    std::erase(m_handled, window);
    if (DialogSeen* dialog = OpenDialog(window)) dialog->window = nullptr;
    std::erase_if(m_focusBeforeActivation, [window](const auto& focus) { return focus.first == window; });
}

DialogSeen* UserScript::OpenDialog(HWND window) {
    for (DialogSeen& dialog : m_dialogs) {
        if (window != nullptr && dialog.window == window) return &dialog;
    }
    return nullptr;
}

void UserScript::PlayDialog(HWND dialog) {
    const HWND box = GetDlgItem(dialog, IDC_INCLUDE_LODS);
    const HWND button = GetDlgItem(dialog, IDC_LETS_GO);
    DialogSeen seen;
    seen.window = dialog;
    seen.owner = GetWindow(dialog, GW_OWNER);
    seen.boxMarked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // The focus may have gone to a control before the dialog was activated.
    for (const auto& [window, id] : m_focusBeforeActivation) {
        if (window == dialog) {
            seen.firstFocusId = id;
            break;
        }
    }
    GetWindowRect(dialog, &seen.rect);
    m_dialogs.push_back(seen);

    for (Step step : m_steps) {
        switch (step) {
            case Step::ClickBox:
                PostMessageA(box, BM_CLICK, 0, 0);
                break;
            case Step::ClickLetsGo:
                PostMessageA(button, BM_CLICK, 0, 0);
                break;
            case Step::Close:
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
            case Step::Enter:
            case Step::Escape:
                // Sent to the box as if it had the focus; the dialog's loop turns the key
                // into its command (IDOK or IDCANCEL).
                PostMessageA(box, WM_KEYDOWN, step == Step::Enter ? VK_RETURN : VK_ESCAPE, 1);
                PostMessageA(box, WM_KEYUP, step == Step::Enter ? VK_RETURN : VK_ESCAPE, 0xC0000001);
                break;
        }
    }
}

void UserScript::AnswerMessageBox(HWND box) {
    m_summaryTexts.push_back(WindowText(GetDlgItem(box, kMessageBoxTextId)));
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

MainWindow::MainWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = DefWindowProcA;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "ZenthorTestMainWindow";
        return RegisterClassA(&description);
    }();
    Demand(windowClass != 0, "the main window's class is registered");
    m_window =
        CreateWindowExA(0, "ZenthorTestMainWindow", "Zenthor test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 100, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Demand(m_window != nullptr, "the main window is created");
    SetActiveWindow(m_window);
}

MainWindow::~MainWindow() {
    DestroyWindow(m_window);
}

}  // namespace zenthor::test
