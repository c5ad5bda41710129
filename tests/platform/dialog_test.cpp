// Our own dialog calls on POSIX: dialog templates read and classified, the dialog
// runner's delivery of user actions, message boxes and stale handles.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/scripted_ui_backend.h"
#include "plugin/resource.h"
#include "tests/platform/res_builder.h"
#include "tests/support/compiled_resources.h"

namespace platform {
namespace {

using namespace zenthor::test;

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;

TEST_F(ScratchModule, TruncatedOrMissingTemplateOrMissingProcedureGivesMinusOne) {
    CompiledResources compiled;
    HRSRC found = FindResourceA(compiled.Module(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(compiled.Module(), found)));
    const Bytes dialog(data, data + SizeofResource(compiled.Module(), found));

    for (std::size_t length = 0; length <= dialog.size(); ++length) {
        ASSERT_TRUE(
            Register(ResBuilder().Add(5, 7, 1033, Bytes(dialog.begin(), dialog.begin() + length)).Data()));
        ScriptedUiBackend backend({UiAction::Close()});
        ScopedUiBackend installed(backend);
        INT_PTR result = DialogBoxParamA(kModule, MAKEINTRESOURCEA(7), nullptr, EndOnCloseProc, 0);
        // A dialog that was shown would end with 0.
        EXPECT_EQ(result, length == dialog.size() ? 0 : -1) << "length " << length;
    }
    // Nor is a dialog shown without its template or its procedure.
    ScriptedUiBackend backend({UiAction::Close()});
    ScopedUiBackend installed(backend);
    EXPECT_EQ(DialogBoxParamA(kModule, MAKEINTRESOURCEA(8), nullptr, EndOnCloseProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(kModule, nullptr, nullptr, EndOnCloseProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(kModule, MAKEINTRESOURCEA(7), nullptr, nullptr, 0), -1);
    EXPECT_TRUE(backend.Views().empty());
}

TEST_F(ScratchModule, ControlsAreClassifiedByTheirClassInAnyCaseAndTheirStyle) {
    const struct {
        ItemDesc item;
        const char* className;
        ControlKind kind;
    } cases[] = {
        {{kButton, "", 0, BS_PUSHBUTTON}, "Button", ControlKind::PushButton},
        {{kButton, "", 0, BS_DEFPUSHBUTTON}, "Button", ControlKind::PushButton},
        {{kButton, "", 0, BS_CHECKBOX}, "Button", ControlKind::CheckBox},
        {{kButton, "", 0, BS_AUTO3STATE}, "Button", ControlKind::CheckBox},
        {{kButton, "", 0, BS_AUTORADIOBUTTON}, "Button", ControlKind::RadioButton},
        {{kButton, "", 0, BS_GROUPBOX}, "Button", ControlKind::GroupBox},
        {{kButton, "", 0, 0xB /* BS_OWNERDRAW */}, "Button", ControlKind::OtherButton},
        {{0, "", 0, BS_AUTOCHECKBOX, "button"}, "Button", ControlKind::CheckBox},
        {{0, "", 0, SS_NOTIFY, "STATIC"}, "Static", ControlKind::Static},
        {{kStatic, "", 0, BS_GROUPBOX}, "Static", ControlKind::Static},  // the style is a static's
        {{0x81, "", 0, 0}, "Edit", ControlKind::Edit},
        {{0x85, "", 0, 0}, "ComboBox", ControlKind::ComboBox},
        {{0x86, "", 0, 0}, "#134", ControlKind::Custom},
        {{0, "", 0, BS_PUSHBUTTON, "Buttons"}, "Buttons", ControlKind::Custom},
    };
    std::vector<ItemDesc> items;
    for (const auto& c : cases) items.push_back(c.item);
    ASSERT_TRUE(Register(ResBuilder().Add(5, 7, 1033, DialogTemplateEx("kinds", items)).Data()));

    const DialogView view = FirstDialogView(kModule, 7);
    ASSERT_EQ(view.controls.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(view.controls[i].className, cases[i].className) << "control " << i;
        EXPECT_EQ(view.controls[i].kind, cases[i].kind) << "control " << i;
    }
}

// What a test dialog procedure was sent: message and the low word of wParam.
std::vector<std::pair<UINT, int>> sent;
bool clickOnInit = false;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG || message == WM_CLOSE || message == WM_COMMAND) {
        sent.emplace_back(message, message == WM_COMMAND ? LOWORD(wParam) : 0);
    }
    if (message == WM_INITDIALOG && clickOnInit) SendMessageA(GetDlgItem(dialog, 10), BM_CLICK, 0, 0);
    if (message == WM_COMMAND && LOWORD(wParam) == 99) EndDialog(dialog, 99);
    return message == WM_INITDIALOG;
}

class DialogRunner : public ScratchModule {
protected:
    void SetUp() override {
        sent.clear();
        clickOnInit = false;
    }

    INT_PTR Run(const std::vector<ItemDesc>& items, UiBackend& backend) {
        EXPECT_TRUE(Register(ResBuilder().Add(5, 7, 1033, DialogTemplateEx("test", items)).Data()));
        ScopedUiBackend installed(backend);
        return DialogBoxParamA(kModule, MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0);
    }
};

const std::pair<UINT, int> kInit{WM_INITDIALOG, 0};
const std::pair<UINT, int> kClose{WM_CLOSE, 0};
std::pair<UINT, int> Command(int id) {
    return {WM_COMMAND, id};
}

TEST_F(DialogRunner, UnhandledCloseBecomesCancelAndAStuckDialogEndsWithMinusOne) {
    ScriptedUiBackend backend;
    EXPECT_EQ(Run({{kButton, "end", 99, 0x50010000}}, backend), -1);
    EXPECT_EQ(sent, (std::vector{kInit, kClose, Command(IDCANCEL)}));
}

TEST_F(DialogRunner, EnterSendsTheDefaultPushButtonAndEscapeCancel) {
    ScriptedUiBackend backend({UiAction::Enter(), UiAction::Escape(), UiAction::Click(99)});
    EXPECT_EQ(Run({{kButton, "default", 77, 0x50010001}, {kButton, "end", 99, 0x50010000}}, backend), 99);
    EXPECT_EQ(sent, (std::vector{kInit, Command(77), Command(IDCANCEL), Command(99)}));
    EXPECT_EQ(backend.EndedDialogs().at(0).result, 99);  // the backend hears how it ended
}

TEST_F(DialogRunner, ClicksReachTheDialogAsWindowsDeliversThem) {
    clickOnInit = true;  // BM_CLICK from the procedure itself, before any user action
    ScriptedUiBackend backend({UiAction::Click(10), UiAction::Click(10), UiAction::Click(11),
                               UiAction::Click(12), UiAction::Click(13), UiAction::Click(14),
                               UiAction::Click(99)});
    const std::vector<ItemDesc> items = {
        {kButton, "three states", 10, 0x50010006},                                         // BS_AUTO3STATE
        {kStatic, "notifies", 11, 0x50000100},                                             // SS_NOTIFY
        {kStatic, "silent", 12, 0x50000000},       {kButton, "disabled", 13, 0x58010000},  // WS_DISABLED
        {kButton, "group", 14, 0x50000007},                                                // BS_GROUPBOX
        {kButton, "end", 99, 0x50010000},
    };
    EXPECT_EQ(Run(items, backend), 99);
    EXPECT_EQ(sent, (std::vector{kInit, Command(10), Command(10), Command(10), Command(11), Command(99)}));
    std::vector<int> marks;
    for (const DialogView& view : backend.Views()) marks.push_back(view.FindControl(10)->check);
    EXPECT_EQ(marks, (std::vector{1, 2, 0, 0, 0, 0, 0}));
    // Clicked buttons take the focus.
    EXPECT_TRUE(backend.EndedDialogs().at(0).view.FindControl(99)->focused);
}

class ThrowingBackend : public ScriptedUiBackend {
public:
    std::optional<UiAction> NextDialogAction(const DialogView&) override {
        throw std::runtime_error("terminal gone");
    }
};

TEST_F(DialogRunner, BackendThatThrowsEndsTheDialogWithMinusOne) {
    ThrowingBackend backend;
    EXPECT_EQ(Run({{kButton, "end", 99, 0x50010000}}, backend), -1);
    EXPECT_EQ(backend.EndedDialogs().size(), 1u);
}

TEST(MessageBox, GoesToTheBackendOrGivesZeroWithoutOne) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "title", MB_OK), 0);
    ScriptedUiBackend backend;
    ScopedUiBackend installed(backend);
    backend.SetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDCANCEL);
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(backend.MessageBoxes()[0].title, "Error");  // the Windows default caption
    EXPECT_EQ(backend.MessageBoxes()[0].text, "");
}

TEST(Handles, MadeUpNullAndDesktopHandlesFindNothing) {
    for (HWND handle : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0xdead0)}) {
        RECT rect{};
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(GetParent(handle), nullptr);
        EXPECT_EQ(GetDlgItem(handle, 1), nullptr);
        EXPECT_EQ(SendMessageA(handle, BM_GETCHECK, 0, 0), 0);
        EXPECT_EQ(SendMessageA(handle, BM_CLICK, 0, 0), 0);
        EXPECT_FALSE(EndDialog(handle, 1));
        EXPECT_FALSE(GetWindowRect(handle, &rect));
    }
    EXPECT_FALSE(EndDialog(GetDesktopWindow(), 1));
}

}  // namespace
}  // namespace platform
