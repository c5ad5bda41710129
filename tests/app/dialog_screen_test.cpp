// The settings dialog drawn in character cells from the plug-in's own template.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/terminal/dialog_screen.h"
#include "plugin/resource.h"
#include "tests/support/compiled_resources.h"

namespace zenthor {
namespace {

using namespace test;
using ::testing::HasSubstr;

TEST(DialogScreen, DrawsEveryControlInsideTheFrameInTemplateOrder) {
    CompiledResources compiled;
    const platform::DialogView dialog = FirstDialogView(compiled.Module(), IDD_IMPORT_SETTINGS);
    const DialogScreen screen = DrawDialog(dialog, IDC_LETS_GO);
    std::string all;
    for (const std::string& line : screen.lines) {
        EXPECT_EQ(line.size(), screen.lines[0].size());
        all += line + "\n";
    }
    EXPECT_THAT(screen.lines.front(), HasSubstr(" Zenthor Models Importer "));
    EXPECT_THAT(screen.lines.front(), HasSubstr("[x]"));  // the close box
    // Top to bottom as the template has them: warning, group, box, button.
    const std::size_t warning = all.find("Warning!"), group = all.find("Import settings"),
                      box = all.find("[ ] Include lods"), button = all.find("[ Lets GO ! ]");
    EXPECT_LT(warning, group);
    EXPECT_LT(group, box);
    EXPECT_LT(box, button);
    EXPECT_NE(button, std::string::npos);
    // The focus highlight covers the focused button's text.
    ASSERT_GE(screen.focusRow, 0);
    EXPECT_EQ(screen.lines[static_cast<std::size_t>(screen.focusRow)].substr(
                  static_cast<std::size_t>(screen.focusColumn), static_cast<std::size_t>(screen.focusWidth)),
              "[ Lets GO ! ]");
    EXPECT_EQ(TabStops(dialog), (std::vector<int>{IDC_INCLUDE_LODS, IDC_LETS_GO}));
}

}  // namespace
}  // namespace zenthor
