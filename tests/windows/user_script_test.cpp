// The script's keys and clicks reach a dialog as the user's would. Without this, a test
// that finds Enter and Escape ignored by the settings dialog could pass only because the
// keys never arrived. Uses the plug-in's dialog template with a recording procedure.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/resource.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor::test {
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

struct ScriptCase {
    const char* name;
    std::vector<Step> steps;
    INT_PTR result;
    std::vector<int> commands;
};

class UserScriptSteps : public testing::TestWithParam<ScriptCase> {};

TEST_P(UserScriptSteps, ReachTheDialogAsTheUsersWould) {
    const ScriptCase& c = GetParam();
    LoadedPlugin plugin;
    g_commands.clear();
    MainWindow mainWindow;
    UserScript script(c.steps);
    EXPECT_EQ(DialogBoxParamA(plugin.Handle(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), mainWindow.Handle(),
                              RecordingDialog, 0),
              c.result);
    EXPECT_EQ(g_commands, c.commands);
    EXPECT_EQ(script.Dialogs().size(), 1u) << "dialogs the script played";
}

INSTANTIATE_TEST_SUITE_P(Steps, UserScriptSteps,
                         testing::Values(ScriptCase{"Enter", {Step::Enter}, IDOK, {IDOK}},
                                         ScriptCase{"Escape", {Step::Escape}, IDCANCEL, {IDCANCEL}},
                                         ScriptCase{"CloseButton", {Step::Close}, kEndedByClose, {}},
                                         ScriptCase{"BoxThenLetsGo",
                                                    {Step::ClickBox, Step::ClickLetsGo},
                                                    IDC_LETS_GO,
                                                    {IDC_INCLUDE_LODS, IDC_LETS_GO}}),
                         [](const testing::TestParamInfo<ScriptCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zenthor::test
