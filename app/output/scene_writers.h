// The host scene written to files: WriteScene in any output format, and each format's
// writer.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/output/output_format.h"

class HostScene;

namespace zenthor {

struct ExportWarnings;
class TextureStore;

// Writes the scene to `path` in `format`, with the companion file the format needs beside
// it (.bin for .gltf, .mtl for .obj). With `textures`, DDS textures it converts become PNGs
// (null keeps them). Warnings about changed data go into `warnings`; false with `error` set
// when a file cannot be written, and then none of them is left.
bool WriteScene(const HostScene& scene, const std::filesystem::path& path, OutputFormat format,
                TextureStore* textures, ExportWarnings& warnings, std::string& error);

// The companion files that writing `path` in `format` may make beside it.
std::vector<std::filesystem::path> CompanionFiles(const std::filesystem::path& path, OutputFormat format);

// glTF 2.0 output through tinygltf: a .glb, or a .gltf with its .bin beside it.
//
// One node per scene node, in order, all at the scene's root, each with its name, its
// transform (when not the identity) and one mesh of one triangle primitive: POSITION,
// NORMAL, TEXCOORD_0 and indices. Each node's material has the node's bitmap as its base
// colour texture, metallic 0 and roughness 1 (the host's standard material has no metal).
// When the material takes its opacity from the texture's alpha, alphaMode is MASK with the
// default cut-off 0.5: game textures use alpha for cut-outs (leaves, cloth edges, fences),
// and MASK needs no sorting, so every viewer draws it the same. A DDS image is named both
// as the texture's source and through MSFT_texture_dds (listed as used, not required),
// since common importers load DDS through their image loaders anyway. With a texture
// store, DDS files it converts are replaced by PNGs: referenced beside a .gltf, carried in
// a .glb's buffer.
//
// Every file appears whole or not at all, the .gltf together with its .bin and PNGs.
bool WriteGltf(const HostScene& scene, const std::filesystem::path& path, bool binary, TextureStore* textures,
               ExportWarnings& warnings, std::string& error);

// The .bin that WriteGltf writes beside a .gltf `path`: its stem with every character a
// URI would have to escape replaced, so the name in the file and on disk are the same text.
std::filesystem::path GltfBinPath(const std::filesystem::path& path);

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
bool WriteObj(const HostScene& scene, const std::filesystem::path& path, TextureStore* textures,
              ExportWarnings& warnings, std::string& error);

// The .mtl that WriteObj writes beside `path` when the scene has materials.
std::filesystem::path ObjMtlPath(const std::filesystem::path& path);

}  // namespace zenthor
