// Gives a scene node its own standard material with one bitmap texture.
#pragma once

#include <string>

class ImportNode;

namespace zenthor {

struct ModelMesh;

// Makes a bitmap texture for the mesh's resolved texture path (alpha as opacity) and a
// standard material named after the mesh's material name with that bitmap as its
// diffuse and opacity map, and assigns the material to the node. Always returns 1.
int CreateMaterial(const ModelMesh& mesh, ImportNode* node, const std::string& contentRoot);
// The same with the texture path already resolved.
int CreateMaterialWithTexture(const ModelMesh& mesh, ImportNode* node, const std::string& texturePath);

}  // namespace zenthor
