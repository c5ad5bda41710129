// The platform's stand-ins for the Windows resource and dialog calls beyond the
// settings dialog itself: malformed resource data, the dialog runner's delivery of
// user actions, message boxes and stale handles.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/module_resources.h"
#include "platform/scripted_ui_backend.h"
#include "plugin/resource.h"
#include "tests/plugin/res_builder.h"
#include "tests/plugin/test_module.h"

namespace {

using platform::UiAction;
using zenthor::test::Bytes;
using zenthor::test::ItemDesc;
using zenthor::test::ResBuilder;

const HINSTANCE kScratchModule = reinterpret_cast<HINSTANCE>(0x5c4a7c00);
constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;

class ScratchModule : public testing::Test {
protected:
    void TearDown() override { platform::UnregisterModuleResources(kScratchModule); }

    bool Register(const Bytes& res) {
        return platform::RegisterModuleResources(kScratchModule, res.data(), res.size());
    }
};

// Each resource's header and data as [start, end) in the compiled file.
std::vector<std::pair<std::size_t, std::size_t>> ResourceSpans(const Bytes& file) {
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                          file[at + 3] << 24);
    };
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t at = 0; at < file.size();) {
        std::size_t end = at + u32(at + 4) + u32(at);
        spans.emplace_back(at, end);
        at = (end + 3) / 4 * 4;
    }
    return spans;
}

TEST_F(ScratchModule, EveryTruncationOfTheResFileIsRejectedOrReadWhole) {
    const Bytes file = zenthor::test::CompiledResFile();
    ASSERT_GT(file.size(), 64u);
    const auto spans = ResourceSpans(file);
    for (std::size_t length = 0; length <= file.size(); ++length) {
        bool cutsAResource = false;
        for (auto [start, end] : spans) cutsAResource |= start < length && length < end;
        // An exactly sized heap copy, so that any read past it is caught.
        Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(Register(prefix), !cutsAResource) << "length " << length;
    }
    // The whole file serves its strings.
    char text[64];
    EXPECT_EQ(LoadStringA(kScratchModule, IDS_CLASS_NAME, text, sizeof text), 10);
}

TEST_F(ScratchModule, FailedRegistrationKeepsWhatWasRegistered) {
    ResBuilder res;
    res.Add(6, 1, 1033, zenthor::test::StringBlock({"", "kept"}));
    ASSERT_TRUE(Register(res.Data()));
    Bytes broken = res.Data();
    broken[32] = 0xFF;  // the string block claims far more data than there is
    broken[35] = 0x7F;
    EXPECT_FALSE(Register(broken));
    char text[16];
    EXPECT_EQ(LoadStringA(kScratchModule, 1, text, sizeof text), 4);
    EXPECT_STREQ(text, "kept");
}

TEST_F(ScratchModule, StringsPreferLanguage1033) {
    ResBuilder res;
    res.Add(6, 1, 1031, zenthor::test::StringBlock({"", "Deutsch"}));
    res.Add(6, 1, 1033, zenthor::test::StringBlock({"", "English"}));
    res.Add(6, 1, 0, zenthor::test::StringBlock({"", "Neutral"}));
    ASSERT_TRUE(Register(res.Data()));
    char text[16];
    LoadStringA(kScratchModule, 1, text, sizeof text);
    EXPECT_STREQ(text, "English");
}

INT_PTR CALLBACK EndOnCloseProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return message == WM_CLOSE || message == WM_INITDIALOG;
}

TEST_F(ScratchModule, EveryTruncationOfADialogTemplateGivesMinusOne) {
    HRSRC found =
        FindResourceA(zenthor::test::TestModule(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* data =
        static_cast<const std::uint8_t*>(LockResource(LoadResource(zenthor::test::TestModule(), found)));
    const Bytes dialog(data, data + SizeofResource(zenthor::test::TestModule(), found));

    for (std::size_t length = 0; length <= dialog.size(); ++length) {
        ASSERT_TRUE(
            Register(ResBuilder().Add(5, 7, 1033, Bytes(dialog.begin(), dialog.begin() + length)).Data()));
        platform::ScriptedUiBackend backend({UiAction::Close()});
        platform::ScopedUiBackend installed(backend);
        INT_PTR result = DialogBoxParamA(kScratchModule, MAKEINTRESOURCEA(7), nullptr, EndOnCloseProc, 0);
        EXPECT_EQ(result, length == dialog.size() ? 0 : -1) << "length " << length;
        EXPECT_EQ(backend.Views().size(), length == dialog.size() ? 1u : 0u) << "length " << length;
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

    INT_PTR Run(const std::vector<ItemDesc>& items, platform::UiBackend& backend) {
        EXPECT_TRUE(
            Register(ResBuilder().Add(5, 7, 1033, zenthor::test::DialogTemplateEx("test", items)).Data()));
        platform::ScopedUiBackend installed(backend);
        return DialogBoxParamA(kScratchModule, MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0);
    }
};

const std::pair<UINT, int> kInit{WM_INITDIALOG, 0};
const std::pair<UINT, int> kClose{WM_CLOSE, 0};
std::pair<UINT, int> Command(int id) {
    return {WM_COMMAND, id};
}

TEST_F(DialogRunner, UnhandledCloseBecomesCancelAndAStuckDialogEndsWithMinusOne) {
    platform::ScriptedUiBackend backend;
    EXPECT_EQ(Run({{kButton, "end", 99, 0x50010000}}, backend), -1);
    EXPECT_EQ(sent, (std::vector{kInit, kClose, Command(IDCANCEL)}));
}

TEST_F(DialogRunner, EnterSendsTheDefaultPushButtonAndEscapeCancel) {
    platform::ScriptedUiBackend backend({UiAction::Enter(), UiAction::Escape(), UiAction::Click(99)});
    EXPECT_EQ(Run({{kButton, "default", 77, 0x50010001}, {kButton, "end", 99, 0x50010000}}, backend), 99);
    EXPECT_EQ(sent, (std::vector{kInit, Command(77), Command(IDCANCEL), Command(99)}));
}

TEST_F(DialogRunner, ClicksReachTheDialogAsWindowsDeliversThem) {
    clickOnInit = true;  // BM_CLICK from the procedure itself, before any user action
    platform::ScriptedUiBackend backend({UiAction::Click(10), UiAction::Click(10), UiAction::Click(11),
                                         UiAction::Click(12), UiAction::Click(13), UiAction::Click(99)});
    const std::vector<ItemDesc> items = {
        {kButton, "three states", 10, 0x50010006},                                         // BS_AUTO3STATE
        {kStatic, "notifies", 11, 0x50000100},                                             // SS_NOTIFY
        {kStatic, "silent", 12, 0x50000000},       {kButton, "disabled", 13, 0x58010000},  // WS_DISABLED
        {kButton, "end", 99, 0x50010000},
    };
    EXPECT_EQ(Run(items, backend), 99);
    EXPECT_EQ(sent, (std::vector{kInit, Command(10), Command(10), Command(10), Command(11), Command(99)}));
    std::vector<int> marks;
    for (const platform::DialogView& view : backend.Views()) marks.push_back(view.FindControl(10)->check);
    EXPECT_EQ(marks, (std::vector{1, 2, 0, 0, 0, 0}));
    // Clicked buttons take the focus.
    EXPECT_TRUE(backend.EndedDialogs().at(0).view.FindControl(99)->focused);
}

TEST_F(DialogRunner, MissingTemplateOrProcedureGivesMinusOne) {
    platform::ScriptedUiBackend backend({UiAction::Close()});
    platform::ScopedUiBackend installed(backend);
    EXPECT_EQ(DialogBoxParamA(kScratchModule, MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(zenthor::test::TestModule(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), nullptr,
                              nullptr, 0),
              -1);
    EXPECT_EQ(DialogBoxParamA(zenthor::test::TestModule(), MAKEINTRESOURCEA(102), nullptr, RecordingProc, 0),
              -1);
    EXPECT_TRUE(backend.Views().empty());
    EXPECT_TRUE(sent.empty());
}

class ThrowingBackend : public platform::ScriptedUiBackend {
public:
    std::optional<UiAction> NextDialogAction(const platform::DialogView&) override {
        throw std::runtime_error("terminal gone");
    }
};

TEST_F(DialogRunner, BackendThatThrowsEndsTheDialogWithMinusOne) {
    ThrowingBackend backend;
    EXPECT_EQ(Run({{kButton, "end", 99, 0x50010000}}, backend), -1);
    EXPECT_EQ(backend.EndedDialogs().size(), 1u);
}

TEST(MessageBox, GoesThroughTheBackend) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "title", MB_OK), 0);  // nobody to show it to

    platform::ScriptedUiBackend backend;
    platform::ScopedUiBackend installed(backend);
    EXPECT_EQ(MessageBoxA(nullptr, "Imported OK!\nline two", "Summary", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
    backend.SetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "again", "Summary", MB_OK), IDCANCEL);

    ASSERT_EQ(backend.MessageBoxes().size(), 3u);
    EXPECT_EQ(backend.MessageBoxes()[0].owner, nullptr);
    EXPECT_EQ(backend.MessageBoxes()[0].title, "Summary");
    EXPECT_EQ(backend.MessageBoxes()[0].text, "Imported OK!\nline two");
    EXPECT_EQ(backend.MessageBoxes()[0].style, 0x40u);
    EXPECT_EQ(backend.MessageBoxes()[1].title, "Error");  // the Windows default caption
    EXPECT_EQ(backend.MessageBoxes()[1].text, "");
}

TEST(Handles, MadeUpAndNullHandlesFindNothing) {
    for (HWND handle : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0xdead0)}) {
        RECT rect{};
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(GetParent(handle), nullptr);
        EXPECT_EQ(GetDlgItem(handle, IDC_INCLUDE_LODS), nullptr);
        EXPECT_EQ(SendMessageA(handle, BM_GETCHECK, 0, 0), 0);
        EXPECT_EQ(SendMessageA(handle, BM_CLICK, 0, 0), 0);
        EXPECT_FALSE(EndDialog(handle, 1));
        EXPECT_FALSE(GetWindowRect(handle, &rect));
    }
    RECT screen{};
    EXPECT_TRUE(GetWindowRect(GetDesktopWindow(), &screen));
    EXPECT_EQ(screen.right - screen.left, 1024);
    EXPECT_FALSE(EndDialog(GetDesktopWindow(), 1));
}

}  // namespace
