#include "app/output/scene_writers.h"

namespace zenthor {

bool WriteScene(const HostScene& scene, const std::filesystem::path& path, OutputFormat format,
                TextureStore* textures, ExportWarnings& warnings, std::string& error) {
    switch (format) {
        case OutputFormat::Glb:
            return WriteGltf(scene, path, true, textures, warnings, error);
        case OutputFormat::Gltf:
            return WriteGltf(scene, path, false, textures, warnings, error);
        case OutputFormat::Obj:
            return WriteObj(scene, path, textures, warnings, error);
    }
    return false;
}

std::vector<std::filesystem::path> CompanionFiles(const std::filesystem::path& path, OutputFormat format) {
    switch (format) {
        case OutputFormat::Glb:
            return {};
        case OutputFormat::Gltf:
            return {GltfBinPath(path)};
        case OutputFormat::Obj:
            return {ObjMtlPath(path)};
    }
    return {};
}

}  // namespace zenthor
