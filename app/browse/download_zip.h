// The zip a download of a .gltf or .obj comes in, with the files that go with it.
#pragma once

#include <filesystem>
#include <string>

namespace zenthor {

// Writes every file below `folder`, named by its path below it, into a zip at `zipPath`,
// atomically; false with `error` set when that fails.
bool ZipFolder(const std::filesystem::path& folder, const std::filesystem::path& zipPath, std::string& error);

}  // namespace zenthor
