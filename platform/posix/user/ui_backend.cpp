// The installed UI backend, the host's main window that comes with it, and MessageBoxA.
#include "platform/ui_backend.h"

#include <atomic>

#include "platform/posix/user/window_table.h"

namespace platform {
namespace {

std::atomic<UiBackend*> installedBackend{nullptr};

NoUiBackend& DefaultBackend() {
    static NoUiBackend backend;
    return backend;
}

// The host's main window follows the backend: the old one goes, the new backend's
// comes when it has one.
void ReplaceMainWindow(const UiBackend& backend) {
    user::WindowTable& table = user::WindowTable::Instance();
    if (HWND old = table.MainWindow()) table.Destroy(old);
    std::optional<RECT> rect = backend.MainWindowRect();
    if (!rect) return;
    user::Window window;
    window.kind = user::WindowKind::MainWindow;
    window.rect = *rect;
    table.SetMainWindow(table.Create(std::move(window)));
}

}  // namespace

UiBackend::~UiBackend() = default;

UiBackend* SetUiBackend(UiBackend* backend) {
    UiBackend* previous = installedBackend.exchange(backend);
    ReplaceMainWindow(CurrentUiBackend());
    return previous;
}

UiBackend& CurrentUiBackend() {
    UiBackend* backend = installedBackend.load();
    return backend != nullptr ? *backend : DefaultBackend();
}

}  // namespace platform

// Shows the box through the UI backend and returns its answer; a null caption reads
// "Error" as on Windows. 0 when the box cannot be shown (or the backend throws).
extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    platform::MessageBoxView box;
    box.owner = owner;
    box.title = caption != nullptr ? caption : "Error";
    box.text = text != nullptr ? text : "";
    box.style = type;
    try {
        return platform::CurrentUiBackend().ShowMessageBox(box);
    } catch (...) {
        return 0;
    }
}
