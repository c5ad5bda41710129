// Finds a mesh's texture file below the content root.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zenthor {

// Size endings of texture files, largest first: the largest one on disk is used.
inline constexpr const char* kTextureSizeEndings[] = {".2048.dds", ".1024.dds", ".512.dds"};

// Answers whether a file of that name exists.
using FileExistsFn = std::function<bool(const std::string&)>;

// contentRoot + "textures\" + textureName + the first ending whose file exists,
// trying 2048 then 1024; the 512 name is taken untested when neither exists.
// With an empty content root the texture name is returned unchanged.
std::string ResolveTexturePath(const std::string& contentRoot, const std::string& textureName);
std::string ResolveTexturePath(const std::string& contentRoot, const std::string& textureName,
                               const FileExistsFn& fileExists);

// What a lookup tried, for reports: every candidate with whether it exists.
struct TextureCandidate {
    std::string path;
    bool exists = false;
};
std::vector<TextureCandidate> TextureCandidates(const std::string& contentRoot,
                                                const std::string& textureName);

}  // namespace zenthor
