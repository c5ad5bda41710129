#include "model/texture_path.h"

#include "platform/path_lookup.h"

namespace zenthor {

std::string ResolveTexturePath(const std::string& contentRoot, const std::string& textureName) {
    return ResolveTexturePath(contentRoot, textureName,
                              [](const std::string& path) { return platform::FileExists(path); });
}

std::string ResolveTexturePath(const std::string& contentRoot, const std::string& textureName,
                               const FileExistsFn& fileExists) {
    if (contentRoot.empty()) {
        return textureName;
    }
    const std::string base = contentRoot + "textures\\" + textureName;
    for (const char* ending : {kTextureSizeEndings[0], kTextureSizeEndings[1]}) {
        std::string candidate = base + ending;
        if (fileExists(candidate)) {
            return candidate;
        }
    }
    return base + kTextureSizeEndings[2];
}

std::vector<TextureCandidate> TextureCandidates(const std::string& contentRoot,
                                                const std::string& textureName) {
    std::vector<TextureCandidate> candidates;
    if (contentRoot.empty()) {
        candidates.push_back({textureName, platform::FileExists(textureName)});
        return candidates;
    }
    const std::string base = contentRoot + "textures\\" + textureName;
    for (const char* ending : kTextureSizeEndings) {
        std::string path = base + ending;
        const bool exists = platform::FileExists(path);
        candidates.push_back({std::move(path), exists});
    }
    return candidates;
}

}  // namespace zenthor
