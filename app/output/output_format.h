// The file formats `zenthor import` writes, and the one call that writes a scene.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class HostScene;

namespace zenthor {

struct ExportWarnings;
class TextureStore;

enum class OutputFormat { Glb, Gltf, Obj };

// "glb", "gltf" or "obj" (any letter case); nullopt for anything else.
std::optional<OutputFormat> ParseOutputFormat(const std::string& name);
// The format that a file's extension names ("out.GLB" gives Glb); nullopt when none does.
std::optional<OutputFormat> FormatOfPath(const std::filesystem::path& path);
// ".glb", ".gltf" or ".obj".
const char* Extension(OutputFormat format);

// Writes the scene to `path` in `format`, with the companion file the format needs beside
// it (.bin for .gltf, .mtl for .obj). With `textures`, DDS textures it converts become PNGs
// (null keeps them). Warnings about changed data go into `warnings`; false with `error` set
// when a file cannot be written, and then none of them is left.
bool WriteScene(const HostScene& scene, const std::filesystem::path& path, OutputFormat format,
                TextureStore* textures, ExportWarnings& warnings, std::string& error);

// The companion files that writing `path` in `format` may make beside it.
std::vector<std::filesystem::path> CompanionFiles(const std::filesystem::path& path, OutputFormat format);

}  // namespace zenthor
