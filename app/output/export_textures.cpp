#include "app/output/export_textures.h"

#include <map>
#include <memory>

#include "app/support/pending_file.h"
#include "app/output/scene_export.h"
#include "app/output/texture_store.h"

namespace zenthor {

namespace fs = std::filesystem;

bool UsePngTextures(std::vector<ExportNode>& nodes, TextureStore& store, const fs::path& outputFile,
                    bool embed, PendingFileSet& files, ExportWarnings& warnings, std::string& error) {
    struct Used {
        const TextureStore::Texture* texture = nullptr;
        std::shared_ptr<const std::vector<std::uint8_t>> embedded;
    };
    std::map<fs::path, Used> used;  // by DDS file: each is looked at once per output
    for (ExportNode& node : nodes) {
        if (!node.material || node.material->texturePath.empty()) {
            continue;
        }
        ExportMaterial& material = *node.material;
        if (!material.textureExists) {
            // Nothing to convert or carry: a reference to a file that is not there would
            // only break the output's standing alone. The import report names the file.
            material.texturePath.clear();
            material.alphaFromTexture = false;
            continue;
        }
        const auto [entry, first] = used.try_emplace(material.textureFile);
        Used& texture = entry->second;
        if (first) {
            if (!store.Convert(material.textureFile, texture.texture, error)) {
                return false;
            }
            if (!texture.texture->converted) {
                warnings.Add("texture " + material.texturePath +
                             " kept as DDS: " + texture.texture->keptBecause);
            } else if (embed) {
                texture.embedded = TextureStore::PngBytes(*texture.texture, error);
                if (!texture.embedded) {
                    return false;
                }
            } else if (store.WriterWritesPngs()) {
                if (!files.CreateFolder(texture.texture->png.parent_path(), error)) {
                    return false;
                }
                const std::vector<std::uint8_t>& png = *texture.texture->bytes;
                if (!files.AddWhole(texture.texture->png, {reinterpret_cast<const char*>(png.data()), png.size()},
                                    error)) {
                    return false;
                }
            }
        }
        if (texture.texture->converted) {
            if (embed) {
                material.embeddedPng = texture.embedded;
            } else {
                material.texturePath = ReferenceFrom(outputFile, texture.texture->png);
            }
        }
    }
    return true;
}

}  // namespace zenthor
