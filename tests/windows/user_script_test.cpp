// The script's keys and clicks reach a dialog as the user's would. Without this, a test
// that finds Enter and Escape ignored by the settings dialog could pass only because the
// keys never arrived. Uses the plug-in's dialog template with a recording procedure.
#include <vector>

#include "plugin/resource.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_library.h"
#include "tests/windows/user_script.h"

namespace zenthor::wintest {
namespace {

std::vector<int> g_commands;  // ids of the WM_COMMAND messages the recording dialog got
constexpr INT_PTR kEndedByClose = 100;

// Records every command; ends on IDOK, IDCANCEL and "Lets GO !" with that id, and on
// WM_CLOSE with kEndedByClose.
INT_PTR CALLBACK RecordingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE) {
        EndDialog(dialog, kEndedByClose);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    g_commands.push_back(id);
    if (id == IDOK || id == IDCANCEL || id == IDC_LETS_GO) EndDialog(dialog, id);
    return TRUE;
}

WINDOWS_TEST(ScriptedStepsReachTheDialogAsTheUsersWould) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        INT_PTR result;
        std::vector<int> commands;
    } cases[] = {
        {"Enter", {Step::Enter}, IDOK, {IDOK}},
        {"Escape", {Step::Escape}, IDCANCEL, {IDCANCEL}},
        {"close button", {Step::Close}, kEndedByClose, {}},
        {"box, then Lets GO",
         {Step::ClickBox, Step::ClickLetsGo},
         IDC_LETS_GO,
         {IDC_INCLUDE_LODS, IDC_LETS_GO}},
    };
    PluginLibrary plugin;
    for (const auto& c : cases) {
        std::printf("  case: %s\n", c.name);
        g_commands.clear();
        MainWindow mainWindow;
        UserScript script(c.steps);
        const INT_PTR result = DialogBoxParamA(plugin.Module(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS),
                                               mainWindow.Handle(), RecordingDialog, 0);
        ExpectEq(result, c.result, "the dialog's result");
        Expect(g_commands == c.commands, "the commands the dialog got");
        ExpectEq(script.Dialogs().size(), 1u, "dialogs the script played");
    }
}

}  // namespace
}  // namespace zenthor::wintest
