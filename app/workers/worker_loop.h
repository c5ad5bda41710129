// The worker's side of a worker process (`zenthor worker`): it imports job after job from
// its job pipe through the plug-ins it loaded once, and answers each on its report pipe.
#pragma once

#include <cstddef>

namespace zenthor {

class PluginRegistry;

// A worker retires after a job that left it larger than this, unless told otherwise.
inline constexpr std::size_t kDefaultWorkerMemory = std::size_t{2} << 30;

// Serves jobs until the job pipe closes, or until a job leaves the process larger than
// `memoryLimit` bytes (0: no limit): its next job goes to a fresh worker. Returns the
// worker's exit status. The process ends at once, in the middle of a job too, when its
// parent closes the job pipe or dies.
int ServeWorkerJobs(const PluginRegistry& plugins, std::size_t memoryLimit);

}  // namespace zenthor
