// The subcommands of zenthor, each added to the command line by its own file. A command
// sets `exitCode` (support/exit_codes.h) when it runs; `pluginDirs` are the extra plug-in
// folders of the command line, read when the command runs.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zenthor {

// `import FILE|DIR... (-o OUT | --out-dir DIR) [--format glb|gltf|obj] [--textures keep|png] ...`
void AddImportCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);
// `info FILE [--include-lods] [--json]`: what a file holds, read without the plug-in.
void AddInfoCommand(CLI::App& app, int& exitCode);
// `plugins`: the plug-in libraries found and the importers they offer.
void AddPluginsCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);
// `browse CONTENT_DIR`: the content tree as a local web page.
void AddBrowseCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);
// `worker`: the long-lived worker process that batches and the browse server start (not for
// people).
void AddWorkerCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);

}  // namespace zenthor
