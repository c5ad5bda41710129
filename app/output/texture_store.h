// DDS textures converted to PNG for outputs that every viewer opens, each file decoded
// once: a store remembers what it converted, and the stores of a batch's workers share a
// folder of PNGs and a folder of claims, so that among all workers one decodes each
// texture and the others wait for its PNG (see texture_claim.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zenthor {

// What outputs reference: the textures as found (DDS), or PNGs made from them.
enum class TextureMode { Keep, Png };

class TextureStore {
public:
    struct Texture {
        bool converted = false;
        std::filesystem::path png;  // where the PNG is (or goes, for a single import)
        // The PNG when the store holds it in memory (a single import's); otherwise the
        // file at `png` holds it.
        std::shared_ptr<const std::vector<std::uint8_t>> bytes;
        std::string keptBecause;  // why the DDS stays, when not converted
    };

    // A single import's store: PNGs are held in memory, for the writer to embed or to
    // write into `folder` together with the scene's files.
    static TextureStore ForImport(std::filesystem::path folder);
    // A batch's store: each PNG is written into `folder` at once, under a claim in
    // `claims`, so a texture is decoded once among all stores that share the two folders.
    static TextureStore ForBatch(std::filesystem::path folder, std::filesystem::path claims);

    // True when the writer must write the PNGs it references (a single import's store).
    bool WriterWritesPngs() const { return m_claims.empty(); }

    // The texture of the existing file `dds` (an absolute path), converted at its first
    // use. False with `error` set when its PNG cannot be written.
    bool Convert(const std::filesystem::path& dds, const Texture*& texture, std::string& error);

    // The PNG bytes of a converted texture, read from its file when the store does not hold
    // them; null with `error` set when that fails.
    static std::shared_ptr<const std::vector<std::uint8_t>> PngBytes(const Texture& texture,
                                                                     std::string& error);

private:
    TextureStore(std::filesystem::path folder, std::filesystem::path claims)
        : m_folder(std::move(folder)), m_claims(std::move(claims)) {}

    enum class Outcome { Done, NameTaken, Failed };
    // Converts `dds` under the PNG name `name`, unless another file of the batch has it.
    Outcome ConvertAs(const std::filesystem::path& dds, const std::filesystem::path& name, Texture& texture,
                      std::string& error);

    std::filesystem::path m_folder;
    std::filesystem::path m_claims;                                  // empty for a single import's store
    std::map<std::filesystem::path, Texture> m_textures;             // by DDS file
    std::map<std::filesystem::path, std::filesystem::path> m_names;  // PNG name -> its DDS file
};

// The PNG name of a DDS file: its path below the nearest folder named "textures" (any
// letter case), or just its name, with ".png" for its extension; `n` > 1 adds "-n" to the
// stem, for a second file with the same name.
std::filesystem::path PngNameFor(const std::filesystem::path& dds, int n = 1);

}  // namespace zenthor
