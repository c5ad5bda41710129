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
#pragma once

#include <filesystem>
#include <string>

class HostScene;

namespace zenthor {

struct ExportWarnings;
class TextureStore;

// `textures` null keeps the textures as found.
bool WriteGltf(const HostScene& scene, const std::filesystem::path& path, bool binary, TextureStore* textures,
               ExportWarnings& warnings, std::string& error);

// The .bin that WriteGltf writes beside a .gltf `path`: its stem with every character a
// URI would have to escape replaced, so the name in the file and on disk are the same text.
std::filesystem::path GltfBinPath(const std::filesystem::path& path);

}  // namespace zenthor
