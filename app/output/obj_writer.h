// Wavefront OBJ output with its MTL file beside it.
//
// One object ("o") per scene node, in order, named by the node; positions once per host
// vertex, texture coordinates and normals once per split vertex, faces in the host's
// corner order. Axes are those of scene_export (y-up, right-handed), as in glTF;
// transforms are baked into the vertices, since OBJ has none. Each node's material is one
// MTL entry named by the material's name (entries that share a name and agree share the
// entry; ones that share a name but differ get "_2", "_3", ...): map_Kd is its bitmap, and
// map_d the same bitmap when the texture's alpha is the opacity. With a texture store,
// both name the PNG it makes from a DDS file. The .obj, its .mtl and the PNGs appear
// together or not at all.
#pragma once

#include <filesystem>
#include <string>

class HostScene;

namespace zenthor {

struct ExportWarnings;
class TextureStore;

// `textures` null keeps the textures as found.
bool WriteObj(const HostScene& scene, const std::filesystem::path& path, TextureStore* textures,
              ExportWarnings& warnings, std::string& error);

// The .mtl that WriteObj writes beside `path` when the scene has materials.
std::filesystem::path ObjMtlPath(const std::filesystem::path& path);

}  // namespace zenthor
