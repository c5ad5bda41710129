// What a process keeps from one import's output to the next, so that each texture file is
// decoded once per process: the texture stores of the batches it writes for, and the
// textures its thumbnails are drawn with. A worker keeps one for all its jobs, since it
// imports file after file of one content tree.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/output/texture_store.h"
#include "texture/rgba_image.h"

class HostScene;

namespace zenthor {

class OutputCaches {
public:
    // The store over a batch's PNG and claims folders (TextureStore::ForBatch), made at its
    // first use; null when `pngFolder` is empty (no batch).
    TextureStore* BatchStore(const std::filesystem::path& pngFolder, const std::filesystem::path& claims);

    // Draws `scene` (RenderThumbnail) with the textures it can read into a PNG at `path`,
    // written atomically; false with `error` set when that fails.
    bool WriteThumbnail(const HostScene& scene, const std::filesystem::path& path, std::string& error);

private:
    std::map<std::pair<std::filesystem::path, std::filesystem::path>, TextureStore> m_batchStores;
    std::map<std::string, std::optional<RgbaImage>> m_thumbnailTextures;  // by host file name
};

}  // namespace zenthor
