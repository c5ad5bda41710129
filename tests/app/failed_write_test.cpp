// Writes that fail part way through the built program: a file-size limit that the first
// files of an output pass and a later one does not, and a folder the program may not
// write to. The import exits 1 with the reason, and leaves nothing behind: no temporary
// file, and no half of a .gltf/.bin or .obj/.mtl pair.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct ShellRun {
    int exitCode = -1;
    std::string err;
};

// zenthor `args` started by sh after `setup` (a shell command such as "ulimit -f 4").
ShellRun RunInShell(const std::string& setup, const std::vector<std::string>& args, const fs::path& errFile) {
    std::string command = setup + "; exec ";
    // Root writes to any folder unless it gives up that privilege for the program.
    if (geteuid() == 0) {
        command += "setpriv --bounding-set -dac_override,-dac_read_search ";
    }
    command += "'" + std::string(ZENTHOR_EXE) + "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    command += " >/dev/null 2>'" + errFile.string() + "'";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    std::ifstream in(errFile);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())};
}

// The largest file below `folder` but for `last`, and `last`'s size.
std::pair<std::uintmax_t, std::uintmax_t> Sizes(const fs::path& folder, const fs::path& last) {
    std::uintmax_t others = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path() != last) {
            others = std::max(others, entry.file_size());
        }
    }
    return {others, fs::file_size(last)};
}

TEST(FailedWrites, ExitOneWithTheReasonAndLeaveNothing) {
    TempContentTree tree;
    WriteSampleContent(tree.Root());
    const std::string model = tree.Path("models/sample.model");
    const fs::path err = tree.Base() / "err.txt";
    struct Case {
        const char* name;
        const char* file;  // the output below the folder; null for a batch into the folder
    };
    for (const Case& c : {Case{"glb", "sample.glb"}, Case{"gltf", "sample.gltf"}, Case{"obj", "sample.obj"},
                          Case{"batch", nullptr}}) {
        SCOPED_TRACE(c.name);
        const auto args = [&](const fs::path& folder) {
            std::vector<std::string> all{"import", model, "--yes", "--textures", "png"};
            if (c.file != nullptr) {
                all.insert(all.end(), {"-o", (folder / c.file).string()});
            } else {
                all.insert(all.end(), {"--out-dir", folder.string(), "--format", "gltf"});
            }
            return all;
        };
        const auto folder = [&](const char* kind) {
            const fs::path path = tree.Base() / (std::string(c.name) + kind);
            fs::create_directories(path);
            return path;
        };

        // A limit that every file but the one written last passes: the PNGs and the
        // companion are written, then the file that names them fails.
        const fs::path whole = folder("-whole");
        ASSERT_EQ(RunInShell(":", args(whole), err).exitCode, 0);
        const fs::path last = whole / (c.file != nullptr ? c.file : "sample.gltf");
        const auto [others, lastSize] = Sizes(whole, last);
        const std::uintmax_t blocks = others / 512 + 1;
        ASSERT_GT(lastSize, blocks * 512) << "the limit must stop the last file";

        const fs::path limited = folder("-limited");
        ShellRun run = RunInShell("ulimit -f " + std::to_string(blocks), args(limited), err);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err,
                    HasSubstr("cannot write " + (limited / last.filename()).string() + ": File too large"));
        std::vector<std::string> left = FilesBelow(limited);
        std::erase_if(left, [&](const std::string& file) {  // a batch shares its PNGs at once
            return c.file == nullptr && (file == "textures" || file.starts_with("textures/"));
        });
        EXPECT_THAT(left, ::testing::IsEmpty());

        const fs::path readOnly = folder("-read-only");
        chmod(readOnly.c_str(), 0555);
        run = RunInShell(":", args(readOnly), err);
        EXPECT_EQ(run.exitCode, 1);
        // Found before the import runs, with the system's reason.
        EXPECT_THAT(run.err, HasSubstr("cannot write into " + readOnly.string() + ": Permission denied"));
        EXPECT_THAT(FilesBelow(readOnly), ::testing::IsEmpty());
    }
}

}  // namespace
}  // namespace zenthor::test
