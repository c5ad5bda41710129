#include "scene/scene_builder.h"

#include <cstdio>
#include <unordered_map>

#include "host/import_interface.h"
#include "host/mesh.h"
#include "host/matrix3.h"
#include "host/tri_object.h"
#include "model/texture_path.h"
#include "model/zenthor_model.h"
#include "platform/path_lookup.h"
#include "scene/import_logger.h"
#include "scene/material_builder.h"
#include "scene/mesh_builder.h"

namespace zenthor {

std::string ObjectName(const std::string& materialName, int meshIndex) {
    const std::size_t lastBackslash = materialName.rfind('\\');
    if (lastBackslash != std::string::npos) {
        return materialName.substr(lastBackslash + 1);
    }
    char buffer[256] = {};
    std::snprintf(buffer, sizeof buffer, "object_%02d", meshIndex);
    return buffer;
}

namespace {

// Tells the logger how many of the mesh's stored triangles the host mesh lost, and why.
void ReportDroppedTriangles(const ModelMesh& mesh, const Mesh& built, const std::string& name,
                            ImportLogger& logger) {
    const std::uint32_t stored = mesh.indexCount / 3;
    const auto kept = static_cast<std::uint32_t>(built.getNumFaces());
    if (kept >= stored) {
        return;
    }
    const std::uint32_t outside = stored - CountTrianglesInRange(mesh, stored);
    logger.TrianglesDropped(name, outside, "a corner names no vertex");
    logger.TrianglesDropped(name, stored - kept - outside, "degenerate");
}

}  // namespace

int BuildScene(const CZenthorModel& model, const std::string& contentRoot, ImportInterface* importInterface,
               ImportLogger* logger) {
    // Meshes share textures: each candidate file is looked for once per import.
    std::unordered_map<std::string, bool> known;
    const auto fileExists = [&known](const std::string& path) {
        const auto [entry, fresh] = known.try_emplace(path, false);
        if (fresh) {
            entry->second = platform::FileExists(path);
        }
        return entry->second;
    };
    for (int meshIndex = 0; meshIndex < model.GetMeshCount(); ++meshIndex) {
        const ModelMesh& mesh = *model.GetMesh(meshIndex);
        const std::string name = ObjectName(mesh.materialName, meshIndex);

        TriObject* object = CreateNewTriObject();
        if (object == nullptr) {
            if (logger != nullptr) {
                logger->ObjectNotCreated(name);
            }
            continue;
        }
        BuildMesh(mesh, object->GetMesh(), static_cast<std::uint32_t>(meshIndex));
        const std::string texturePath = ResolveTexturePath(contentRoot, mesh.textureName, fileExists);
        if (logger != nullptr) {
            ReportDroppedTriangles(mesh, object->GetMesh(), name, *logger);
            if (!fileExists(texturePath)) {
                logger->TextureNotFound(name, texturePath);
            }
        }

        ImportNode* node = importInterface->CreateNode();
        Matrix3 transform;
        transform.IdentityMatrix();
        node->AttachObject(object);
        node->SetTransform(0, transform);
        node->SetName(name.c_str());
        CreateMaterialWithTexture(mesh, node, texturePath);
        importInterface->AddNodeToScene(node);
    }
    return 1;
}

}  // namespace zenthor
