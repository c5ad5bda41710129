// The plug-in's resources as the platform serves them for the module that embeds them:
// the string table, every field of the settings dialog template and the manifest, all
// compiled from the one script. The Windows build checks the same script's resources,
// their languages and the manifest's content in the built DLL.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "plugin/resource.h"
#include "tests/plugin/test_module.h"
#include "tests/support/compiled_resources.h"

namespace zenthor {
namespace {

using namespace test;

using platform::ControlKind;

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
        {6, ""},  // the table ends there
    };
    for (const auto& c : cases) {
        char buffer[256];
        EXPECT_EQ(LoadStringA(TestModule(), c.id, buffer, sizeof buffer),
                  static_cast<int>(std::strlen(c.text)))
            << "id " << c.id;
        EXPECT_STREQ(buffer, c.text) << "id " << c.id;
    }
}

std::string ResourceBytes(LPCSTR name, LPCSTR type) {
    HRSRC resource = FindResourceA(TestModule(), name, type);
    if (resource == nullptr) return {};
    HGLOBAL data = LoadResource(TestModule(), resource);
    return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(TestModule(), resource));
}

// Its content is checked in the built DLL; here, that it is there under the number that
// the dialog's activation context asks for.
TEST(Manifest, IsResource2OfType24) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEA(2), RT_MANIFEST);
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

// The one place where the settings dialog's template is written out.
TEST(DialogTemplate, ServesEveryFieldOfTheSettingsDialog) {
    const platform::DialogView view = FirstDialogView(TestModule(), IDD_IMPORT_SETTINGS);
    EXPECT_EQ(view.title, "Zenthor Models Importer");
    EXPECT_EQ(view.exStyle, 0x00000080u);
    EXPECT_EQ(view.style, 0x90C800C0u);
    EXPECT_EQ(view.helpId, 0u);
    EXPECT_EQ(view.rect, (platform::DialogUnitRect{0, 0, 131, 156}));
    EXPECT_EQ(view.menu, "");
    EXPECT_EQ(view.windowClass, "");
    ASSERT_TRUE(view.font.has_value());  // points, weight, italic, character set, face
    EXPECT_EQ(std::tie(view.font->pointSize, view.font->weight, view.font->italic, view.font->charset,
                       view.font->face),
              std::make_tuple(8, 0, false, 1, std::string("MS Sans Serif")));

    const struct {
        const char* className;
        ControlKind kind;
        const char* text;
        int id;
        DWORD style;
        platform::DialogUnitRect rect;
    } expected[] = {
        {"Static",
         ControlKind::Static,
         "Warning! You may not use this plugin for stealing models, especially for commercial use.",
         -1,
         0x50020001,
         {7, 7, 117, 30}},
        {"Button", ControlKind::GroupBox, "Import settings", -1, 0x50000007, {7, 49, 117, 78}},
        {"Button", ControlKind::CheckBox, "Include lods", IDC_INCLUDE_LODS, 0x50010003, {8, 70, 116, 10}},
        {"Button", ControlKind::PushButton, "Lets GO !", IDC_LETS_GO, 0x50010000, {7, 135, 117, 14}},
    };
    ASSERT_EQ(view.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const platform::ControlView& control = view.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(control.className, expected[i].className);
        EXPECT_EQ(control.kind, expected[i].kind);
        EXPECT_EQ(control.text, expected[i].text);
        EXPECT_EQ(control.id, expected[i].id);
        EXPECT_EQ(control.style, expected[i].style);
        EXPECT_EQ(control.exStyle, 0u);
        EXPECT_EQ(control.helpId, 0u);
        EXPECT_EQ(control.rect, expected[i].rect);
    }
}

}  // namespace
}  // namespace zenthor
