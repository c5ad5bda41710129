#include "scene/material_builder.h"

#include "host/bitmap_tex.h"
#include "host/cstr.h"
#include "host/import_interface.h"
#include "host/std_mat2.h"
#include "model/texture_path.h"
#include "model/zenthor_model.h"

namespace zenthor {

int CreateMaterial(const ModelMesh& mesh, ImportNode* node, const std::string& contentRoot) {
    return CreateMaterialWithTexture(mesh, node, ResolveTexturePath(contentRoot, mesh.textureName));
}

int CreateMaterialWithTexture(const ModelMesh& mesh, ImportNode* node, const std::string& path) {
    BitmapTex* bitmap = NewDefaultBitmapTex();
    bitmap->SetMapName(CStr(path.c_str()).data(), false);
    bitmap->SetAlphaAsMono(TRUE);
    bitmap->SetName(CStr(path.c_str()));

    StdMat2* material = NewDefaultStdMat();
    material->SetName(CStr(mesh.materialName.c_str()));
    material->SetSubTexmap(kDiffuseSlot, bitmap);
    material->SetSubTexmap(kOpacitySlot, bitmap);
    material->SetActiveTexmap(bitmap);
    material->SetMtlFlag(kMtlShowTextureFlag, TRUE);

    // The host may refuse the assignment by throwing; the node then simply keeps no
    // material and the import goes on.
    try {
        node->GetSceneNode()->SetMaterial(material);
    } catch (...) {
    }
    return 1;
}

}  // namespace zenthor
