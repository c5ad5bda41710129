// The script's keys reach a dialog as the user's would. Without this, the import test that
// finds Enter and Escape ignored by the settings dialog could pass only because the keys
// never arrived. Uses the plug-in's dialog template with a recording procedure.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "plugin/resource.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor {
namespace {

using namespace test;

std::vector<int> g_commands;  // ids of the WM_COMMAND messages the recording dialog got

// Records every command and ends with the first one.
INT_PTR CALLBACK RecordingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    g_commands.push_back(LOWORD(wParam));
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

TEST(UserScript, EnterAndEscapeReachTheDialogAsItsCommands) {
    LoadedPlugin plugin;
    MainWindow mainWindow;
    for (const auto& [step, command] : {std::pair{Step::Enter, IDOK}, std::pair{Step::Escape, IDCANCEL}}) {
        SCOPED_TRACE(command);
        g_commands.clear();
        UserScript script({step});
        EXPECT_EQ(DialogBoxParamA(plugin.Handle(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), mainWindow.Handle(),
                                  RecordingDialog, 0),
                  command);
        EXPECT_EQ(g_commands, std::vector<int>{command});
    }
}

}  // namespace
}  // namespace zenthor
