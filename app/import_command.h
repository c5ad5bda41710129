// `zenthor import FILE|DIR... (-o OUT | --out-dir DIR) [--format glb|gltf|obj]
//  [--textures keep|png] [--include-lods] [--yes] [--jobs N] [--timeout SECONDS] [--timings]`
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zenthor {

// Exit statuses of the commands.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// --strict: everything imported, but something was left out.
inline constexpr int kExitLeftOut = 3;

// Adds the "import" subcommand to `app`; `pluginDirs` are the extra plug-in folders of the
// command line, read when the command runs.
void AddImportCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);

}  // namespace zenthor
