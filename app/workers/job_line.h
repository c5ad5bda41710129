// A worker's job: one import request (host_import.h) as one line of JSON on its job pipe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/hosting/host_import.h"

namespace zenthor {

std::string FormatWorkerJob(const ImportRequest& job);
// Nullopt for a line that is not a job.
std::optional<ImportRequest> ParseWorkerJob(std::string_view line);

}  // namespace zenthor
