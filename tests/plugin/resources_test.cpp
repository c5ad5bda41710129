// The plug-in's resources as the platform serves them: the string table, every field of
// the settings dialog template and the manifest, all compiled from the one script. The
// Windows build checks the same script's resources, their languages and the manifest's
// content in the built DLL.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/module_resources.h"
#include "platform/scripted_ui_backend.h"
#include "plugin/resource.h"
#include "plugin/settings_dialog.h"
#include "tests/plugin/res_builder.h"
#include "tests/plugin/test_module.h"

namespace {

using zenthor::test::TestModule;

std::string LoadText(HINSTANCE module, UINT id, int bufferMax) {
    std::vector<char> buffer(static_cast<std::size_t>(bufferMax) + 1, '\x7f');
    int length = LoadStringA(module, id, buffer.data(), bufferMax);
    EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(buffer.data()));
    return buffer.data();
}

TEST(StringTable, ServesEveryStringById) {
    const struct {
        UINT id;
        const char* text;
    } cases[] = {
        {IDS_LIB_DESCRIPTION, "Zenthor Mesh Import plugin by Brindle"},
        {IDS_CATEGORY, "import"},
        {IDS_CLASS_NAME, "MeshImport"},
        {IDS_PARAMETERS, "Parameters"},
        {IDS_SPIN, "Spin"},
        {0, ""},  // ids of the first block that the table does not define
        {6, ""},
        {17, ""},  // a block that does not exist
    };
    for (const auto& c : cases) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(LoadStringA(TestModule(), c.id, buffer, sizeof buffer),
                  static_cast<int>(std::strlen(c.text)))
            << "id " << c.id;
        EXPECT_STREQ(buffer, c.text) << "id " << c.id;
    }
}

TEST(StringTable, SmallBufferCutsAndTerminates) {
    EXPECT_EQ(LoadText(TestModule(), IDS_LIB_DESCRIPTION, 8), "Zenthor");
    EXPECT_EQ(LoadText(TestModule(), IDS_CATEGORY, 7), "import");  // exactly fits
    EXPECT_EQ(LoadText(TestModule(), IDS_CATEGORY, 6), "impor");
    EXPECT_EQ(LoadText(TestModule(), IDS_CATEGORY, 1), "");

    char untouched = 'x';
    EXPECT_EQ(LoadStringA(TestModule(), IDS_CATEGORY, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(LoadStringA(TestModule(), IDS_CATEGORY, nullptr, 256), 0);
}

TEST(StringTable, LongStringIsCutTo255CharactersInTheSharedBufferSize) {
    const std::string longText(300, 'L');
    // Block 1 holds ids 0-15, block 2 ids 16-31: ids 15 and 16 sit on either side.
    zenthor::test::ResBuilder res;
    std::vector<std::string> first(16);
    first[1] = longText;
    first[15] = "last of block 1";
    res.Add(6, 1, 1033, zenthor::test::StringBlock(first));
    res.Add(6, 2, 1033, zenthor::test::StringBlock({"first of block 2"}));
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x7e570000);
    ASSERT_TRUE(platform::RegisterModuleResources(module, res.Data().data(), res.Data().size()));

    std::vector<char> buffer(256);  // on the heap so that a write past it is caught
    EXPECT_EQ(LoadStringA(module, 1, buffer.data(), 256), 255);
    EXPECT_EQ(std::string(buffer.data()), longText.substr(0, 255));
    EXPECT_EQ(LoadText(module, 15, 256), "last of block 1");
    EXPECT_EQ(LoadText(module, 16, 256), "first of block 2");
    platform::UnregisterModuleResources(module);
    EXPECT_EQ(LoadText(module, 16, 256), "");
}

std::string ResourceBytes(LPCSTR name, LPCSTR type) {
    HRSRC resource = FindResourceA(TestModule(), name, type);
    if (resource == nullptr) return {};
    HGLOBAL data = LoadResource(TestModule(), resource);
    return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(TestModule(), resource));
}

// Its content is checked in the built DLL; here, that the platform serves it by number.
TEST(Manifest, IsResource2OfType24) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEA(2), RT_MANIFEST);
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(ResourceBytes("#2", RT_MANIFEST), manifest);
    EXPECT_EQ(ResourceBytes(MAKEINTRESOURCEA(1), RT_MANIFEST), "");
}

// What the UI backend is shown when the settings dialog opens.
platform::DialogView FirstView() {
    platform::ScriptedUiBackend backend({platform::UiAction::Close()});
    platform::ScopedUiBackend installed(backend);
    EXPECT_EQ(DialogBoxParamA(TestModule(), MAKEINTRESOURCEA(IDD_IMPORT_SETTINGS), nullptr,
                              ImportSettingsDlgProc, 0),
              0);
    EXPECT_FALSE(backend.Views().empty());
    return backend.Views().empty() ? platform::DialogView{} : backend.Views().front();
}

TEST(DialogTemplate, ServesEveryFieldOfTheSettingsDialog) {
    platform::DialogView view = FirstView();
    EXPECT_EQ(view.title, "Zenthor Models Importer");
    EXPECT_EQ(view.exStyle, 0x00000080u);
    EXPECT_EQ(view.style, 0x90C800C0u);
    EXPECT_EQ(view.helpId, 0u);
    EXPECT_EQ(view.rect, (platform::DialogUnitRect{0, 0, 131, 156}));
    EXPECT_EQ(view.menu, "");
    EXPECT_EQ(view.windowClass, "");
    ASSERT_TRUE(view.font.has_value());
    EXPECT_EQ(view.font->pointSize, 8);
    EXPECT_EQ(view.font->weight, 0);
    EXPECT_FALSE(view.font->italic);
    EXPECT_EQ(view.font->charset, 1);
    EXPECT_EQ(view.font->face, "MS Sans Serif");

    const struct {
        WORD classAtom;
        const char* className;
        const char* text;
        int id;
        DWORD style;
        platform::DialogUnitRect rect;
    } expected[] = {
        {0x82,
         "Static",
         "Warning! You may not use this plugin for stealing models, especially for commercial use.",
         -1,
         0x50020001,
         {7, 7, 117, 30}},
        {0x80, "Button", "Import settings", -1, 0x50000007, {7, 49, 117, 78}},
        {0x80, "Button", "Include lods", IDC_INCLUDE_LODS, 0x50010003, {8, 70, 116, 10}},
        {0x80, "Button", "Lets GO !", IDC_LETS_GO, 0x50010000, {7, 135, 117, 14}},
    };
    ASSERT_EQ(view.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const platform::ControlView& control = view.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(control.classAtom, expected[i].classAtom);
        EXPECT_EQ(control.className, expected[i].className);
        EXPECT_EQ(control.text, expected[i].text);
        EXPECT_EQ(control.id, expected[i].id);
        EXPECT_EQ(control.style, expected[i].style);
        EXPECT_EQ(control.exStyle, 0u);
        EXPECT_EQ(control.helpId, 0u);
        EXPECT_EQ(control.rect, expected[i].rect);
    }
}

}  // namespace
