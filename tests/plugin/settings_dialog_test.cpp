// The settings dialog driven through the scripted UI backend, as the import driver
// runs it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "import/include_lods_setting.h"
#include "platform/scripted_ui_backend.h"
#include "plugin/resource.h"
#include "plugin/settings_dialog.h"
#include "tests/plugin/test_module.h"

namespace zenthor {
namespace {

using platform::UiAction;
using test::TestModule;

INT_PTR RunSettingsDialog(HWND parent) {
    return platform::IsolationAwareDialogBoxParamA(TestModule(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS),
                                                   parent, ImportSettingsDlgProc, 0);
}

int MarkIn(const platform::DialogView& view) {
    const platform::ControlView* box = view.FindControl(IDC_INCLUDE_LODS);
    return box != nullptr ? box->check : -1;
}

struct DialogCase {
    const char* name;
    bool settingBefore;
    std::vector<UiAction> actions;
    INT_PTR result;
    bool settingAfter;
};

class SettingsDialog : public testing::TestWithParam<DialogCase> {
protected:
    void TearDown() override { includeLodsSetting = false; }
};

TEST_P(SettingsDialog, EndsWithTheResultAndSettingOfTheClicks) {
    const DialogCase& c = GetParam();
    includeLodsSetting = c.settingBefore;
    platform::ScriptedUiBackend backend(c.actions);
    platform::ScopedUiBackend installed(backend);

    EXPECT_EQ(RunSettingsDialog(GetActiveWindow()), c.result);
    EXPECT_EQ(includeLodsSetting, c.settingAfter);
    EXPECT_EQ(backend.PendingActions(), 0u);
    ASSERT_FALSE(backend.Views().empty());
    ASSERT_EQ(backend.EndedDialogs().size(), 1u);

    // The box opens showing the setting, with the focus on it, and then always shows the
    // latest click, which is also the setting.
    EXPECT_EQ(MarkIn(backend.Views()[0]), c.settingBefore ? 1 : 0);
    EXPECT_TRUE(backend.Views()[0].FindControl(IDC_INCLUDE_LODS)->focused);
    EXPECT_EQ(MarkIn(backend.EndedDialogs()[0].view), c.settingAfter ? 1 : 0);
}

const UiAction kBox = UiAction::Click(IDC_INCLUDE_LODS);
const UiAction kGo = UiAction::Click(IDC_LETS_GO);

const DialogCase kDialogCases[] = {
    {"LetsGoUntouchedKeepsFalse", false, {kGo}, 1, false},
    {"ClickThenLetsGo", false, {kBox, kGo}, 1, true},
    {"ClickThenCloseKeepsTheClick", false, {kBox, UiAction::Close()}, 0, true},
    // A box opened marked is unmarked by one click: the mark started from the setting.
    {"ClickOnMarkedBoxClears", true, {kBox, kGo}, 1, false},
    {"EnterAndEscapeDoNothing", false, {UiAction::Enter(), UiAction::Escape(), kGo}, 1, false},
    // The warning and ids the dialog lacks do not end it.
    {"ClicksElsewhereDoNothing", false, {UiAction::Click(IDC_STATIC), UiAction::Click(4242), kGo}, 1, false},
};

INSTANTIATE_TEST_SUITE_P(Scripts, SettingsDialog, testing::ValuesIn(kDialogCases),
                         [](const testing::TestParamInfo<DialogCase>& info) { return info.param.name; });

TEST(SettingsDialogWithoutUser, CannotBeCreatedAndLeavesTheSetting) {
    for (bool setting : {false, true}) {
        includeLodsSetting = setting;
        EXPECT_EQ(RunSettingsDialog(nullptr), -1);  // no backend installed at all
        platform::NoUiBackend none;
        platform::ScopedUiBackend installed(none);
        EXPECT_EQ(RunSettingsDialog(nullptr), -1);
        EXPECT_EQ(includeLodsSetting, setting);
    }
    includeLodsSetting = false;
}

// The rectangle's centre lies within a pixel of (x, y).
void ExpectCentredAt(const RECT& r, LONG x, LONG y) {
    EXPECT_NEAR((r.left + r.right) / 2, x, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, y, 1);
}

// The dialog's view when it opens on the given screen, over a host window when one is
// given. It is owned by the active window, which is active again once the dialog and its
// windows are gone.
platform::DialogView PlacedDialog(RECT screen, std::optional<RECT> hostWindow) {
    platform::ScriptedUiBackend backend({UiAction::Click(IDC_LETS_GO)});
    backend.SetScreenRect(screen);
    backend.SetMainWindowRect(hostWindow);
    platform::ScopedUiBackend installed(backend);
    const HWND host = GetActiveWindow();
    EXPECT_EQ(RunSettingsDialog(host), 1);
    const platform::DialogView view = backend.Views().at(0);
    EXPECT_EQ(view.owner, host);
    EXPECT_EQ(GetActiveWindow(), host);
    EXPECT_FALSE(IsWindow(view.handle));
    EXPECT_FALSE(IsWindow(view.FindControl(IDC_INCLUDE_LODS)->handle));
    return view;
}

TEST(SettingsDialogPlacement, CentredOverTheHostWindowOrTheScreenAndKeptOnIt) {
    const platform::DialogView over = PlacedDialog(RECT{0, 0, 1024, 768}, RECT{100, 50, 901, 651});
    EXPECT_NE(over.owner, nullptr);
    ExpectCentredAt(over.windowRect, 500, 350);

    const RECT centred = PlacedDialog(RECT{0, 0, 1600, 900}, std::nullopt).windowRect;
    ExpectCentredAt(centred, 800, 450);
    // Over a host window partly off the screen, the dialog keeps its size on the screen.
    const RECT atEdge = PlacedDialog(RECT{0, 0, 1024, 768}, RECT{-300, 700, 40, 900}).windowRect;
    EXPECT_EQ(atEdge.left, 0);
    EXPECT_EQ(atEdge.bottom, 768);
    EXPECT_EQ(atEdge.right - atEdge.left, centred.right - centred.left);
}

}  // namespace
}  // namespace zenthor
