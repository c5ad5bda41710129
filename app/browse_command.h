// `zenthor browse CONTENT_DIR`: the content tree as a local web page on which every model
// can be found, seen in 3D and downloaded.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zenthor {

void AddBrowseCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);

}  // namespace zenthor
