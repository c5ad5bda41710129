// A whole file read into memory: the small files zenthor reads back (textures to convert
// or draw, its own cache records).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zenthor {

// False, with `bytes` unspecified, when the file cannot be opened or read to its end, or is
// not a regular file (a FIFO is refused, never waited on).
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

}  // namespace zenthor
