#include "app/output/texture_store.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "app/output/texture_claim.h"
#include "app/support/letter_case.h"
#include "app/support/pending_file.h"
#include "app/support/whole_file.h"
#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// A PNG name is tried with "-2", "-3", ... while other files hold it; this many at most.
constexpr int kMaxNameTries = 100;

// Decodes `dds` into PNG bytes, or says why it stays as it is.
void Decode(const fs::path& dds, TextureStore::Texture& texture) {
    try {
        std::vector<std::uint8_t> file;
        if (!ReadWholeFile(dds, file)) {
            texture.keptBecause = "it cannot be read";
            return;
        }
        const DdsDecodeResult decoded = DecodeDds(file);
        if (decoded.status == DdsStatus::Unsupported) {
            texture.keptBecause = decoded.reason + " is not converted";
            return;
        }
        if (decoded.status == DdsStatus::Malformed) {
            texture.keptBecause = "it is malformed (" + decoded.reason + ")";
            return;
        }
        auto png = std::make_shared<std::vector<std::uint8_t>>(EncodePng(decoded.image));
        if (png->empty()) {
            texture.keptBecause = "its pixels cannot be written as PNG";
            return;
        }
        texture.converted = true;
        texture.bytes = std::move(png);
    } catch (const std::bad_alloc&) {
        texture.keptBecause = "there is not enough memory to convert it";
    }
}

// A claim's record: "png" or "dds <why>" on the first line, then the DDS file, then a line
// end that marks the record complete.
std::string FormatRecord(const TextureStore::Texture& texture, const fs::path& dds) {
    return (texture.converted ? std::string("png") : "dds " + texture.keptBecause) + "\n" + dds.string() +
           "\n";
}

// False for an empty or incomplete record.
bool ParseRecord(const std::string& record, std::string& kind, std::string& dds) {
    const std::size_t lineEnd = record.find('\n');
    if (record.empty() || record.back() != '\n' || lineEnd == record.size() - 1) {
        return false;
    }
    kind = record.substr(0, lineEnd);
    dds = record.substr(lineEnd + 1, record.size() - lineEnd - 2);
    return true;
}

}  // namespace

fs::path PngNameFor(const fs::path& dds, int n) {
    fs::path name = dds.filename();
    fs::path below;
    for (auto part = dds.begin(); part != dds.end(); ++part) {
        if (EqualIgnoringCase(part->native(), "textures") && std::next(part) != dds.end()) {
            below.clear();
            for (auto rest = std::next(part); rest != dds.end(); ++rest) {
                below /= *rest;
            }
        }
    }
    if (!below.empty()) {
        name = below;
    }
    std::string stem = name.stem().string();
    if (n > 1) {
        stem += "-" + std::to_string(n);
    }
    return name.parent_path() / (stem + ".png");
}

TextureStore TextureStore::ForImport(fs::path folder) {
    return TextureStore(std::move(folder), {});
}

TextureStore TextureStore::ForBatch(fs::path folder, fs::path claims) {
    return TextureStore(std::move(folder), std::move(claims));
}

bool TextureStore::Convert(const fs::path& dds, const Texture*& texture, std::string& error) {
    if (const auto known = m_textures.find(dds); known != m_textures.end()) {
        texture = &known->second;
        return true;
    }
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const fs::path name = PngNameFor(dds, n);
        if (m_names.count(name) != 0) {
            continue;
        }
        Texture made;
        const Outcome outcome = ConvertAs(dds, name, made, error);
        if (outcome == Outcome::Failed) {
            return false;
        }
        if (outcome == Outcome::Done) {
            m_names.emplace(name, dds);
            texture = &m_textures.emplace(dds, std::move(made)).first->second;
            return true;
        }
    }
    error = "cannot name the PNG of " + dds.string() + ": " + std::to_string(kMaxNameTries) +
            " other textures have its name";
    return false;
}

TextureStore::Outcome TextureStore::ConvertAs(const fs::path& dds, const fs::path& name, Texture& texture,
                                              std::string& error) {
    texture.png = m_folder / name;
    if (m_claims.empty()) {
        Decode(dds, texture);
        return Outcome::Done;
    }
    TextureClaim claim;
    if (!claim.Acquire(m_claims / (name.string() + ".claim"), error)) {
        return Outcome::Failed;
    }
    std::string kind, claimedBy;
    if (ParseRecord(claim.Record(), kind, claimedBy)) {
        if (claimedBy != dds.string()) {
            return Outcome::NameTaken;
        }
        texture.converted = kind == "png";
        texture.keptBecause = texture.converted ? "" : kind.substr(std::min<std::size_t>(4, kind.size()));
        return Outcome::Done;
    }
    Decode(dds, texture);
    if (texture.converted) {
        std::error_code code;
        fs::create_directories(texture.png.parent_path(), code);
        if (code) {
            error = "cannot create " + texture.png.parent_path().string() + ": " + code.message();
            return Outcome::Failed;
        }
        if (!WriteFileAtomically(
                texture.png, {reinterpret_cast<const char*>(texture.bytes->data()), texture.bytes->size()},
                error)) {
            return Outcome::Failed;
        }
        texture.bytes.reset();  // the file holds them now; a long batch must not keep every PNG
    }
    std::string ignored;  // without a record the next holder converts it again: slower, still right
    claim.SetRecord(FormatRecord(texture, dds), ignored);
    return Outcome::Done;
}

std::shared_ptr<const std::vector<std::uint8_t>> TextureStore::PngBytes(const Texture& texture,
                                                                        std::string& error) {
    if (texture.bytes) {
        return texture.bytes;
    }
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    if (!ReadWholeFile(texture.png, *bytes)) {
        error = "cannot read " + texture.png.string();
        return nullptr;
    }
    return bytes;
}

}  // namespace zenthor
