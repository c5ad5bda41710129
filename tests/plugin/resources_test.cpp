// The settings dialog's template as the platform serves it from the resources compiled
// into this executable, against the resource script and the ids of resource.h that it was
// compiled from: a field misread, or compiled otherwise than the script says, shows here;
// an edit of the script does not.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

#include "plugin/resource.h"
#include "tests/plugin/test_module.h"
#include "tests/support/compiled_resources.h"

namespace zenthor {
namespace {

using namespace test;

using platform::ControlKind;

std::string ReadPluginFile(const char* name) {
    std::ifstream in(std::string(ZENTHOR_SOURCE_DIR "/plugin/") + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DialogTemplate, IsTheSettingsDialogOfTheResourceScript) {
    std::map<std::string, int> ids;
    const std::string header = ReadPluginFile("resource.h");
    const std::regex define(R"re(#define (\w+) \(?(-?\d+)\)?)re");
    for (std::sregex_iterator at(header.begin(), header.end(), define), end; at != end; ++at) {
        ids[(*at)[1]] = std::stoi((*at)[2]);
    }
    const std::string script = ReadPluginFile("ZenthorMeshImport.rc");
    std::smatch dialog, caption, font;
    ASSERT_TRUE(std::regex_search(script, dialog,
                                  std::regex(R"re(\n(\w+) DIALOGEX (\d+), (\d+), (\d+), (\d+)\n)re")));
    ASSERT_TRUE(std::regex_search(script, caption, std::regex(R"re(\nCAPTION "([^"]*)")re")));
    ASSERT_TRUE(
        std::regex_search(script, font, std::regex(R"re(\nFONT (\d+), "([^"]*)", (\d+), (\d+), (\w+))re")));

    const platform::DialogView view = FirstDialogView(TestModule(), ids.at(dialog[1]));
    EXPECT_EQ(view.title, caption[1].str());
    EXPECT_EQ(view.rect, (platform::DialogUnitRect{std::stoi(dialog[2]), std::stoi(dialog[3]),
                                                   std::stoi(dialog[4]), std::stoi(dialog[5])}));
    ASSERT_TRUE(view.font.has_value());
    EXPECT_EQ(std::tie(view.font->pointSize, view.font->face, view.font->weight, view.font->italic,
                       view.font->charset),
              std::make_tuple(std::stoi(font[1]), font[2].str(), std::stoi(font[3]), std::stoi(font[4]) != 0,
                              std::stoi(font[5], nullptr, 0)));

    // Each control statement: its keyword, text, id and rectangle.
    const std::map<std::string, ControlKind> kinds = {{"CTEXT", ControlKind::Static},
                                                      {"GROUPBOX", ControlKind::GroupBox},
                                                      {"AUTOCHECKBOX", ControlKind::CheckBox},
                                                      {"PUSHBUTTON", ControlKind::PushButton}};
    const std::regex control(R"re(\n +([A-Z]+) +"([^"]*)",\s*(\w+), (\d+), (\d+), (\d+), (\d+)(?=\n))re");
    std::size_t index = 0;
    for (std::sregex_iterator at(script.begin(), script.end(), control), end; at != end; ++at, ++index) {
        const std::smatch& statement = *at;
        SCOPED_TRACE(statement[1].str() + " \"" + statement[2].str() + "\"");
        ASSERT_LT(index, view.controls.size());
        const platform::ControlView& shown = view.controls[index];
        EXPECT_EQ(shown.kind, kinds.at(statement[1]));
        EXPECT_EQ(shown.text, statement[2].str());
        EXPECT_EQ(shown.id, ids.at(statement[3]));
        EXPECT_EQ(shown.rect, (platform::DialogUnitRect{std::stoi(statement[4]), std::stoi(statement[5]),
                                                        std::stoi(statement[6]), std::stoi(statement[7])}));
    }
    EXPECT_EQ(index, view.controls.size());
    EXPECT_GT(index, 0u);
}

}  // namespace
}  // namespace zenthor
