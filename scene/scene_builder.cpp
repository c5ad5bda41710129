#include "scene/scene_builder.h"

#include <cstdio>

#include "host/import_interface.h"
#include "host/matrix3.h"
#include "host/tri_object.h"
#include "model/zenthor_model.h"
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

int BuildScene(const CZenthorModel& model, const std::string& contentRoot, ImportInterface* importInterface) {
    for (int meshIndex = 0; meshIndex < model.GetMeshCount(); ++meshIndex) {
        const ModelMesh& mesh = *model.GetMesh(meshIndex);
        const std::string name = ObjectName(mesh.materialName, meshIndex);

        TriObject* object = CreateNewTriObject();
        if (object == nullptr) {
            continue;
        }
        BuildMesh(mesh, object->GetMesh(), static_cast<std::uint32_t>(meshIndex));

        ImportNode* node = importInterface->CreateNode();
        Matrix3 transform;
        transform.IdentityMatrix();
        node->AttachObject(object);
        node->SetTransform(0, transform);
        node->SetName(name.c_str());
        CreateMaterial(mesh, node, contentRoot);
        importInterface->AddNodeToScene(node);
    }
    return 1;
}

}  // namespace zenthor
