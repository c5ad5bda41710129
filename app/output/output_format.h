// The file formats `zenthor import` writes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zenthor {

enum class OutputFormat { Glb, Gltf, Obj };

// "glb", "gltf" or "obj" (any letter case); nullopt for anything else.
std::optional<OutputFormat> ParseOutputFormat(const std::string& name);
// The format that a file's extension names ("out.GLB" gives Glb); nullopt when none does.
std::optional<OutputFormat> FormatOfPath(const std::filesystem::path& path);
// ".glb", ".gltf" or ".obj".
const char* Extension(OutputFormat format);

}  // namespace zenthor
