// `zenthor plugins`: the plug-in libraries found and the importers they offer.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zenthor {

void AddPluginsCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);

}  // namespace zenthor
