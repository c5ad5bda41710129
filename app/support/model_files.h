// The model files of a content tree, as a batch and the browse page find them.
#pragma once

#include <filesystem>
#include <system_error>
#include <vector>

namespace zenthor {

// Every regular .model file below `folder` (extension in any letter case, links followed),
// in path order. Subfolders that cannot be read are passed over; `error` is set when the
// walk itself stops, and the files found until then are returned.
std::vector<std::filesystem::path> ModelFilesBelow(const std::filesystem::path& folder, std::error_code& error);

}  // namespace zenthor
