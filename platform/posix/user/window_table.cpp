#include "platform/posix/user/window_table.h"

#include <algorithm>

namespace platform::user {
namespace {

int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

int DialogUnitsToPixelsX(int units) {
    return MulDiv(units, 6, 4);
}
int DialogUnitsToPixelsY(int units) {
    return MulDiv(units, 13, 8);
}

RECT FrameInsets(DWORD style) {
    bool framed = (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | DS_MODALFRAME)) != 0;
    LONG border = framed ? 3 : 0;
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 20 : 0;
    return {border, border + caption, border, border};
}

WindowTable& WindowTable::Instance() {
    static WindowTable table;
    return table;
}

WindowTable::WindowTable() {
    Window desktop;
    desktop.kind = WindowKind::Desktop;
    m_desktop = Create(std::move(desktop));
}

HWND WindowTable::Create(Window window) {
    std::lock_guard lock(m_mutex);
    HWND handle = reinterpret_cast<HWND>(m_nextHandle);
    m_nextHandle += 4;
    if (window.kind == WindowKind::Control) {
        auto parent = m_windows.find(window.parent);
        if (parent != m_windows.end()) parent->second.children.push_back(handle);
    }
    m_windows.emplace(handle, std::move(window));
    return handle;
}

void WindowTable::Destroy(HWND handle) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(handle);
    if (it == m_windows.end() || handle == m_desktop) return;
    for (HWND child : it->second.children) m_windows.erase(child);
    if (it->second.kind == WindowKind::Control) {
        auto parent = m_windows.find(it->second.parent);
        if (parent != m_windows.end()) std::erase(parent->second.children, handle);
    }
    if (handle == m_mainWindow) m_mainWindow = nullptr;
    m_windows.erase(it);
}

std::optional<Window> WindowTable::Get(HWND handle) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(handle);
    if (it == m_windows.end()) return std::nullopt;
    return it->second;
}

HWND WindowTable::FindChild(HWND dialog, int id) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(dialog);
    if (it == m_windows.end()) return nullptr;
    for (HWND child : it->second.children) {
        auto control = m_windows.find(child);
        if (control != m_windows.end() && control->second.control.id == id) return child;
    }
    return nullptr;
}

std::optional<DialogView> WindowTable::View(HWND dialog) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(dialog);
    if (it == m_windows.end() || it->second.kind != WindowKind::Dialog) return std::nullopt;
    const Window& window = it->second;
    DialogView view;
    static_cast<DialogHeader&>(view) = window.dialog;
    view.handle = dialog;
    view.owner = window.parent;
    view.windowRect = window.rect;
    for (HWND child : window.children) {
        auto control = m_windows.find(child);
        if (control == m_windows.end()) continue;
        view.controls.push_back(
            {control->second.control, child, control->second.check, child == window.focus});
    }
    return view;
}

void WindowTable::PushDialog(HWND dialog) {
    std::lock_guard lock(m_mutex);
    m_openDialogs.push_back(dialog);
}

void WindowTable::PopDialog(HWND dialog) {
    std::lock_guard lock(m_mutex);
    std::erase(m_openDialogs, dialog);
}

HWND WindowTable::Active() const {
    std::lock_guard lock(m_mutex);
    return m_openDialogs.empty() ? m_mainWindow : m_openDialogs.back();
}

void WindowTable::SetMainWindow(HWND window) {
    std::lock_guard lock(m_mutex);
    m_mainWindow = window;
}

HWND WindowTable::MainWindow() const {
    std::lock_guard lock(m_mutex);
    return m_mainWindow;
}

}  // namespace platform::user
