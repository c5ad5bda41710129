// Which requests wait for an import: they are answered by threads of their own, so that
// the page and every answer that is ready stay quick while imports are queued.
#pragma once

#include <filesystem>
#include <string>

namespace zenthor {

class ImportCache;

// True when the request for `target` (as its request line names it) is for a model's
// answer that its import has yet to make: a model the checks accept, not ready in `cache`,
// or a download in a format that is written on request.
bool WaitsForImport(const std::string& target, const std::filesystem::path& contentRoot, ImportCache& cache);

}  // namespace zenthor
