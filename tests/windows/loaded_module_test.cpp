// The isolation-aware dialog call takes its activation context from the manifest of the
// module that it is linked into. The plug-in has one (the imports show its dialog); this
// test program has none, so here the call must give -1 without showing anything.
#include <gtest/gtest.h>

#include "platform/windows_api.h"
#include "plugin/resource.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor::test {
namespace {

INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) EndDialog(dialog, 1);
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST(IsolationAwareDialog, FailsWithoutTheModulesManifest) {
    LoadedPlugin plugin;  // the template comes from the plug-in
    ASSERT_EQ(FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), RT_MANIFEST), nullptr)
        << "the test program has no manifest resource 2";
    MainWindow mainWindow;
    UserScript script({Step::ClickLetsGo});
    for (int call = 0; call < 2; ++call) {  // the failed context is not retried
        EXPECT_EQ(
            platform::IsolationAwareDialogBoxParamA(plugin.Handle(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS),
                                                    mainWindow.Handle(), EndAtOnce, 0),
            -1);
    }
    EXPECT_TRUE(script.Dialogs().empty() && script.OtherWindows().empty()) << "no window was shown";
}

}  // namespace
}  // namespace zenthor::test
