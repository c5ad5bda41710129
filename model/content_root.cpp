#include "model/content_root.h"

#include <algorithm>

namespace zenthor {

std::string ContentRootOf(const std::string& path) {
    static const std::string kContentFolder = "\\content\\";
    std::string normalised = path;
    std::replace(normalised.begin(), normalised.end(), '/', '\\');
    const std::size_t found = normalised.rfind(kContentFolder);
    if (found == std::string::npos) {
        return {};
    }
    return normalised.substr(0, found + kContentFolder.size());
}

std::string ReferencedMeshPath(const std::string& name) {
    return "meshes\\" + name + ".mesh";
}

bool IsLevelOfDetailReference(const std::string& name) {
    return ReferencedMeshPath(name).find("_lod") != std::string::npos;
}

}  // namespace zenthor
