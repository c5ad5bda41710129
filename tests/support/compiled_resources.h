// The plug-in's resources as the build compiled them from the resource script, for tests
// that need real resource data or the settings dialog as a UI backend is shown it. Link
// zenthor_test_resources to have the file built and named. POSIX only.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/module_resources.h"
#include "platform/scripted_ui_backend.h"

namespace zenthor::test {

// The compiled .res file.
inline std::vector<std::uint8_t> CompiledResFile() {
    std::ifstream in(ZENTHOR_PLUGIN_RES_FILE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The compiled resources registered for a made-up module handle while the object lives.
class CompiledResources {
public:
    CompiledResources() {
        const std::vector<std::uint8_t> file = CompiledResFile();
        platform::RegisterModuleResources(Module(), file.data(), file.size());
    }
    ~CompiledResources() { platform::UnregisterModuleResources(Module()); }
    CompiledResources(const CompiledResources&) = delete;
    CompiledResources& operator=(const CompiledResources&) = delete;

    static HINSTANCE Module() { return reinterpret_cast<HINSTANCE>(0x7e5c0000); }
};

// A dialog procedure that only ends its dialog, with 0, when it is closed.
inline INT_PTR CALLBACK EndOnCloseProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return message == WM_CLOSE || message == WM_INITDIALOG;
}

// What a UI backend is shown first of dialog `id` of `module`, run by EndOnCloseProc;
// an empty view when it cannot be shown.
inline platform::DialogView FirstDialogView(HINSTANCE module, int id) {
    platform::ScriptedUiBackend backend({platform::UiAction::Close()});
    platform::ScopedUiBackend installed(backend);
    DialogBoxParamA(module, MAKEINTRESOURCEA(id), nullptr, EndOnCloseProc, 0);
    return backend.Views().empty() ? platform::DialogView{} : backend.Views().front();
}

}  // namespace zenthor::test
