// The PNG side of an export: materials pointed at the PNGs that a texture store makes from
// their DDS files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zenthor {

struct ExportNode;
struct ExportWarnings;
class PendingFileSet;
class TextureStore;

// Points each material of `nodes` whose texture `store` converts at its PNG: a reference
// relative to `outputFile`, or with `embed` the image itself. A texture that is not
// converted keeps its DDS, with one warning per file (not per node); one not found is not
// referenced at all. PNGs that the writer must write itself join `files`, so they appear
// with the scene's files or not at all.
// False with `error` set when a PNG cannot be written.
bool UsePngTextures(std::vector<ExportNode>& nodes, TextureStore& store,
                    const std::filesystem::path& outputFile, bool embed, PendingFileSet& files,
                    ExportWarnings& warnings, std::string& error);

}  // namespace zenthor
