#include "app/output/output_caches.h"

#include <cstdint>
#include <vector>

#include "app/output/thumbnail.h"
#include "app/support/pending_file.h"
#include "app/support/whole_file.h"
#include "platform/path_lookup.h"
#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"

namespace zenthor {

TextureStore* OutputCaches::BatchStore(const std::filesystem::path& pngFolder, const std::filesystem::path& claims) {
    if (pngFolder.empty()) {
        return nullptr;
    }
    const auto key = std::make_pair(pngFolder, claims);
    auto found = m_batchStores.find(key);
    if (found == m_batchStores.end()) {
        found = m_batchStores.emplace(key, TextureStore::ForBatch(pngFolder, claims)).first;
    }
    return &found->second;
}

bool OutputCaches::WriteThumbnail(const HostScene& scene, const std::filesystem::path& path, std::string& error) {
    const RgbaImage picture = RenderThumbnail(scene, [this](const std::string& mapName) -> const RgbaImage* {
        auto [entry, added] = m_thumbnailTextures.try_emplace(mapName);
        std::vector<std::uint8_t> bytes;
        if (added && ReadWholeFile(platform::ResolvePath(mapName), bytes)) {
            DdsDecodeResult result = DecodeDds(bytes);
            if (result.status == DdsStatus::Decoded) {
                entry->second = std::move(result.image);
            }
        }
        return entry->second ? &*entry->second : nullptr;
    });
    const std::vector<std::uint8_t> png = EncodePng(picture);
    return WriteFileAtomically(path, {reinterpret_cast<const char*>(png.data()), png.size()}, error);
}

}  // namespace zenthor
