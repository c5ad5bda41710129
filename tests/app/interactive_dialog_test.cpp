// The settings dialog on a terminal, driven through a pseudo-terminal by its keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/app/zenthor_process.h"
#include "tests/support/sample_content.h"

namespace zenthor {
namespace {

using namespace test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(InteractiveDialog, SpaceTogglesTheBoxAndTabReachesTheButton) {
    SampleTree tree;
    const fs::path output = tree.Base() / "out.obj";
    TerminalSession session({"import", tree.Path("models/sample.model"), "-o", output.string()});

    // The focus starts on the box.
    ASSERT_TRUE(session.WaitFor("[ ] Include lods")) << session.Output();
    session.Send(" ");
    ASSERT_TRUE(session.WaitFor("[x] Include lods")) << session.Output();
    session.Send("\t");
    ASSERT_TRUE(session.WaitFor("[ Lets GO ! ]")) << session.Output();
    session.Send(" ");

    EXPECT_EQ(session.Wait(), 0) << session.Output();
    std::ifstream in(output);
    const std::string obj((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(obj.find("\no crate_lod1\n"), std::string::npos);
}

TEST(InteractiveDialog, EnterAndEscapeDoNothingAndCloseEndsWithoutImporting) {
    SampleTree tree;
    const fs::path output = tree.Base() / "out.glb";
    TerminalSession session({"import", tree.Path("models/sample.model"), "-o", output.string()});
    ASSERT_TRUE(session.WaitFor("[ ] Include lods")) << session.Output();

    session.Send("\r");
    ASSERT_TRUE(session.WaitFor("[ ] Include lods")) << session.Output();  // redrawn, still open
    session.Send("\x1b");
    ASSERT_TRUE(session.WaitFor("[ ] Include lods")) << session.Output();
    std::this_thread::sleep_for(100ms);  // a lone Escape, not the start of a sequence
    session.Send("q");

    EXPECT_EQ(session.Wait(), 1) << session.Output();
    EXPECT_NE(session.Output().find("the settings dialog was closed"), std::string::npos) << session.Output();
    EXPECT_EQ(session.Output().find("Imported OK!"), std::string::npos);
    EXPECT_FALSE(fs::exists(output));
}

}  // namespace
}  // namespace zenthor
