// `zenthor worker`: the long-lived worker process that batches and the browse server start
// (not for people): it loads the plug-ins once and imports job after job from its job pipe.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zenthor {

// A worker retires after a job that left it larger than this, unless told otherwise.
inline constexpr std::size_t kDefaultWorkerMemory = std::size_t{2} << 30;

void AddWorkerCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs);

}  // namespace zenthor
