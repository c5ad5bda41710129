// The DLL's own resources as Windows serves them once it is loaded: its strings through
// the module handle that DllMain kept, and its manifest as the activation context of the
// isolation-aware dialog call, which takes the manifest of the module that it is linked
// into (the imports show the plug-in's dialog).
#include <gtest/gtest.h>

#include <string>

#include "platform/windows_api.h"
#include "plugin/resource.h"
#include "tests/windows/test_environment.h"
#include "tests/windows/user_script.h"

namespace zenthor {
namespace {

using namespace test;

// A wrong handle would find no strings at all.
TEST(LoadedModule, TextsComeFromItsOwnStringTable) {
    LoadedPlugin plugin;
    const auto fromTable = [&plugin](UINT id) {
        char text[256] = {};
        EXPECT_GT(LoadStringA(plugin.Handle(), id, text, sizeof text), 0) << "string " << id;
        return std::string(text);
    };
    EXPECT_STREQ(plugin.Find<const char*()>("LibDescription")(), fromTable(IDS_LIB_DESCRIPTION).c_str());
    ClassDesc* descriptor = plugin.Descriptor();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->HInstance(), plugin.Handle());
    // One at a time: the descriptor's texts share one buffer.
    EXPECT_STREQ(descriptor->ClassName(), fromTable(IDS_CLASS_NAME).c_str());
    EXPECT_STREQ(descriptor->Category(), fromTable(IDS_CATEGORY).c_str());
}

INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) EndDialog(dialog, 1);
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// This test program has no manifest: here the call must give -1 without showing anything.
TEST(LoadedModule, IsolationAwareDialogFailsWithoutTheCallersManifest) {
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
}  // namespace zenthor
