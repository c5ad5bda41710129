#include "model/zenthor_model.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "model/chunk_ids.h"
#include "model/content_root.h"
#include "model/file_source.h"
#include "model/vertex_decoders.h"

namespace zenthor {

// What one LoadFromFile needs beyond the model: where files come from, who listens, and the
// chain of files open from the picked one down to the one being read.
struct CZenthorModel::LoadState {
    struct OpenFile {
        std::string path;
        std::string key;  // the path as compared for cycles
        const std::uint8_t* base = nullptr;
    };
    FileSource* files = nullptr;
    LoadObserver* observer = nullptr;
    std::vector<OpenFile> chain;
    std::size_t referencedFilesOpened = 0;
};

namespace {

// Paths are compared for cycles with either slash and without ASCII case, since content
// trees are authored on a case-insensitive file system and are found that way here too.
std::string ChainKey(const std::string& path) {
    std::string key = path;
    for (char& c : key) {
        if (c == '/') {
            c = '\\';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

// Points the model at a load's state for one scope, also when an exception leaves it.
template <typename State>
class LoadScope {
public:
    LoadScope(State*& slot, State& state) : m_slot(slot) { m_slot = &state; }
    ~LoadScope() { m_slot = nullptr; }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

private:
    State*& m_slot;
};

std::string ChunkId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
    return text;
}

std::string Bytes(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// Addresses are compared as numbers: a child at the start of a buffer has no header in it.
std::uintptr_t AddressOf(const std::uint8_t* bytes) {
    return reinterpret_cast<std::uintptr_t>(bytes);
}

// The start of the header of the chunk that `child` covers.
std::uintptr_t HeaderOf(const CChunkReader& child) {
    return AddressOf(child.Data()) - 8;
}

}  // namespace

CZenthorModel::CZenthorModel() = default;
CZenthorModel::~CZenthorModel() = default;

bool CZenthorModel::LoadFromFile(const std::string& path, bool includeLodsOption, LoadObserver* observer,
                                 FileSource* files) {
    includeLods = includeLodsOption;
    LoadState state;
    state.files = files != nullptr ? files : &DefaultFileSource();
    state.observer = observer;

    CChunkReader file;
    if (!state.files->Open(path, file)) {
        if (observer != nullptr) {
            observer->OnSkipped({SkipReason::FileUnreadable, path, 0,
                                 "cannot open or map the file (missing, empty or unreadable)"});
        }
        return false;
    }
    contentRoot = ContentRootOf(path);

    LoadScope scope(m_load, state);
    state.chain.push_back({path, ChainKey(path), file.Data()});
    ReadFile(file);
    return !meshes.empty();
}

void CZenthorModel::ReadFile(CChunkReader& file) {
    std::optional<std::uint32_t> firstId;
    bool anyKnown = false;
    WalkLevel(file, "file", [&](CChunkReader& chunk) {
        const std::uint32_t id = chunk.GetChunkId();
        firstId = firstId.value_or(id);
        anyKnown = anyKnown || id == CHUNK_MESHES || id == CHUNK_MESH_REFS || id == CHUNK_TEXTURE_ALIASES;
        ParseChunk(chunk);
    });
    if (!anyKnown && Observed()) {
        Note(SkipReason::NoModelChunks, AddressOf(file.Data()),
             firstId ? "no chunk of the model format in it; the first chunk id is " + ChunkId(*firstId)
                     : "no chunk in it");
    }
}

void CZenthorModel::ParseChunk(CChunkReader& chunk) {
    switch (chunk.GetChunkId()) {
        case CHUNK_MESHES:
            ReadMeshEntries(chunk);
            break;
        case CHUNK_MESH_REFS:
            ReadReferences(chunk);
            break;
        case CHUNK_TEXTURE_ALIASES:
            ReadAliases(chunk);
            break;
        default:
            if (Observed()) {
                Note(SkipReason::UnknownChunk, HeaderOf(chunk),
                     "top-level chunk id " + ChunkId(chunk.GetChunkId()) + " stepped over");
            }
            break;
    }
}

template <typename Handler>
void CZenthorModel::WalkLevel(CChunkReader& level, const char* what, Handler&& handle) {
    CChunkReader child;
    while (level.NextChunk(child) != -1) {
        if (child.ChunkCutShort() && Observed()) {
            Note(SkipReason::ChunkCutShort, HeaderOf(child),
                 "chunk id " + ChunkId(child.GetChunkId()) + " in " + what + " declares " +
                     Bytes(child.DeclaredSize()) + " of payload, " + std::to_string(child.Size()) +
                     " present");
        }
        handle(child);
    }
    if (!Observed()) {
        return;
    }
    const std::uintptr_t stop = AddressOf(level.Data()) + level.Position();
    if (level.InChunk()) {
        Note(SkipReason::LevelEndedEarly, stop - 8,
             std::string("chunk id 0xFFFFFFFF ends the ") + what + "; " + Bytes(level.Remaining()) +
                 " behind it not read");
    } else if (level.Remaining() > 0) {
        Note(SkipReason::TrailingBytes, stop,
             Bytes(level.Remaining()) + " after the last chunk of the " + what + " ignored");
    }
}

void CZenthorModel::ReadMeshEntries(CChunkReader& chunk) {
    WalkLevel(chunk, "mesh list", [this](CChunkReader& entry) { ReadMeshEntry(entry); });
}

void CZenthorModel::ReadMeshEntry(CChunkReader& entry) {
    currentMesh = std::make_unique<ModelMesh>();
    m_entryProblem.clear();
    WalkLevel(entry, "mesh entry", [this](CChunkReader& sub) {
        switch (sub.GetChunkId()) {
            case CHUNK_MESH_HEADER:
                ReadMeshHeader(sub);
                break;
            case CHUNK_MESH_TEXTURES:
                ReadMeshTextures(sub);
                break;
            case CHUNK_MESH_VERTICES:
                ReadStaticVertices(sub);
                break;
            case CHUNK_MESH_INDICES:
                ReadIndices(sub);
                break;
            case CHUNK_MESH_SKINNED_VERTICES:
                ReadSkinnedVertices(sub);
                break;
            default:
                if (Observed()) {
                    Note(SkipReason::UnknownChunk, HeaderOf(sub),
                         "mesh sub-chunk id " + ChunkId(sub.GetChunkId()) + " stepped over");
                }
                break;
        }
    });

    std::unique_ptr<ModelMesh> mesh = std::move(currentMesh);
    std::string why = m_entryProblem;
    if (why.empty() && mesh->vertexCount == 0) {
        why = "it has no vertices";
    } else if (why.empty() && mesh->indexCount == 0) {
        why = "it has no indices";
    }
    if (!why.empty()) {
        if (Observed()) {
            Note(SkipReason::MeshDropped, HeaderOf(entry), "mesh entry dropped: " + why);
        }
        return;
    }
    meshes.push_back(std::move(mesh));
}

void CZenthorModel::RecordDropReason(const CChunkReader& chunk, const std::string& why) {
    if (m_entryProblem.empty()) {
        m_entryProblem = why;
    }
    if (Observed()) {
        Note(SkipReason::CountCutShort, HeaderOf(chunk), why);
    }
}

void CZenthorModel::ReadMeshHeader(CChunkReader& chunk) {
    std::array<std::uint8_t, 64> header{};
    const std::uint64_t present = chunk.Remaining() < header.size() ? chunk.Remaining() : header.size();
    chunk.ReadBytes(header.data(), present);
    currentMesh->header = header;
    if (present < header.size() && Observed()) {
        Note(SkipReason::HeaderShort, HeaderOf(chunk),
             "mesh header of " + Bytes(present) + ", the rest taken as zero");
    }
}

void CZenthorModel::ReadMeshTextures(CChunkReader& chunk) {
    // Each name is stored as the alias table stands now; later aliases do not reach back.
    currentMesh->textureName = ResolveTextureAlias(chunk.ReadString());
    currentMesh->materialName = ResolveTextureAlias(chunk.ReadString());
    currentMesh->extraName = ResolveTextureAlias(chunk.ReadString());
    if (chunk.ReadPastEnd() && Observed()) {
        Note(SkipReason::StringUnterminated, HeaderOf(chunk),
             "the three mesh names run to the end of their chunk; what is missing reads as empty");
    }
}

const std::uint8_t* CZenthorModel::TakeRecords(CChunkReader& chunk, const char* what, std::uint32_t count,
                                               std::uint64_t recordSize) {
    const std::uint64_t bytes = std::uint64_t{count} * recordSize;
    const std::uint8_t* records = chunk.TakeBytes(bytes);
    if (records == nullptr) {
        RecordDropReason(chunk, std::string(what) + " count " + std::to_string(count) + " needs " +
                                   Bytes(bytes) + ", " + std::to_string(chunk.Remaining()) + " present");
    }
    return records;
}

void CZenthorModel::ReadIndices(CChunkReader& chunk) {
    if (chunk.Remaining() < 4) {
        RecordDropReason(chunk, "index chunk too short for its count");
        return;
    }
    const std::uint32_t count = chunk.ReadU32();
    const std::uint8_t* data = TakeRecords(chunk, "index", count, 2);
    if (data == nullptr) {
        return;
    }
    auto indices = std::make_unique_for_overwrite<std::uint16_t[]>(count);
    if (count > 0) {
        std::memcpy(indices.get(), data, std::size_t{count} * 2);
    }
    currentMesh->indices = std::move(indices);
    currentMesh->indexCount = count;
}

void CZenthorModel::ReadStaticVertices(CChunkReader& chunk) {
    if (chunk.Remaining() < 8) {
        RecordDropReason(chunk, "static vertex chunk too short for its count");
        return;
    }
    chunk.ReadU32();  // not interpreted
    TakeVertices(chunk, chunk.ReadU32(), false);
}

void CZenthorModel::ReadSkinnedVertices(CChunkReader& chunk) {
    if (chunk.Remaining() < 1) {
        RecordDropReason(chunk, "skinned vertex chunk is empty");
        return;
    }
    const std::uint32_t bones = chunk.ReadU8();
    // One byte and one 60-byte record per bone, none of which is kept.
    const std::uint64_t boneBytes = std::uint64_t{bones} * (1 + kBoneRecordSize);
    if (chunk.Remaining() < boneBytes + 4) {
        RecordDropReason(chunk, std::to_string(bones) + " bones and a vertex count need " +
                                   Bytes(boneBytes + 4) + ", " + std::to_string(chunk.Remaining()) +
                                   " present");
        return;
    }
    chunk.Skip(boneBytes);
    TakeVertices(chunk, chunk.ReadU32(), true);
}

void CZenthorModel::TakeVertices(CChunkReader& chunk, std::uint32_t count, bool skinned) {
    const std::uint8_t* records = TakeRecords(chunk, skinned ? "skinned vertex" : "static vertex", count,
                                              skinned ? kSkinnedVertexSize : kStaticVertexSize);
    if (records == nullptr) {
        return;
    }
    auto vertices = std::make_unique_for_overwrite<ModelVertex[]>(count);
    (skinned ? DecodeSkinnedVertices : DecodeStaticVertices)(records, count, vertices.get());
    currentMesh->vertices = std::move(vertices);
    currentMesh->vertexCount = count;
    currentMesh->skinned = skinned;
}

void CZenthorModel::ReadReferences(CChunkReader& chunk) {
    if (chunk.Remaining() < 4) {
        if (Observed()) {
            Note(SkipReason::CountCutShort, HeaderOf(chunk), "reference chunk too short for its count");
        }
        return;
    }
    const std::uint32_t count = chunk.ReadU32();
    for (std::uint32_t i = 0; i < count; ++i) {
        // Strings take at least one byte each, so an exhausted payload ends the loop.
        if (chunk.Remaining() == 0) {
            if (Observed()) {
                Note(SkipReason::CountCutShort, HeaderOf(chunk),
                     "reference count " + std::to_string(count) + ", but only " + std::to_string(i) +
                         " strings present");
            }
            return;
        }
        const std::string list = chunk.ReadString();
        if (chunk.ReadPastEnd() && Observed()) {
            Note(SkipReason::StringUnterminated, HeaderOf(chunk),
                 "reference list \"" + list + "\" has no NUL");
        }
        if (list.size() < 2) {
            if (Observed()) {
                Note(SkipReason::ShortReferenceList, HeaderOf(chunk),
                     "reference string \"" + list + "\" of fewer than 2 characters passed over");
            }
            continue;
        }
        for (const std::string& name : SplitList(list)) {
            FollowReference(name);
        }
    }
}

void CZenthorModel::FollowReference(const std::string& name) {
    LoadState& load = *m_load;
    ReferenceRecord record;
    record.referencingFile = load.chain.back().path;
    record.name = name;
    record.path = contentRoot + ReferencedMeshPath(name);
    record.depth = static_cast<int>(load.chain.size());
    const std::string key = ChainKey(record.path);

    CChunkReader file;
    if (!includeLods && IsLevelOfDetailReference(name)) {
        record.outcome = ReferenceOutcome::FilteredAsLevelOfDetail;
    } else if (std::any_of(load.chain.begin(), load.chain.end(),
                           [&](const auto& open) { return open.key == key; })) {
        record.outcome = ReferenceOutcome::Cycle;
    } else if (record.depth > kMaxReferenceDepth) {
        record.outcome = ReferenceOutcome::TooDeep;
    } else if (load.referencedFilesOpened >= kMaxReferencedFiles) {
        record.outcome = ReferenceOutcome::LimitReached;
    } else if (!load.files->Open(record.path, file)) {
        record.outcome = ReferenceOutcome::Missing;
    } else {
        record.outcome = ReferenceOutcome::Loaded;
    }
    if (load.observer != nullptr) {
        load.observer->OnReference(record);
    }
    if (record.outcome != ReferenceOutcome::Loaded) {
        return;
    }

    // The referenced file's entries, references and aliases take effect here, in place.
    ++load.referencedFilesOpened;
    const std::size_t meshesBefore = meshes.size();
    load.chain.push_back({record.path, key, file.Data()});
    ReadFile(file);
    load.chain.pop_back();
    if (load.observer != nullptr) {
        record.meshesFound = static_cast<int>(meshes.size() - meshesBefore);
        load.observer->OnReferenceRead(record);
    }
}

void CZenthorModel::ReadAliases(CChunkReader& chunk) {
    const std::string text = chunk.ReadString();
    if (chunk.ReadPastEnd() && Observed()) {
        Note(SkipReason::StringUnterminated, HeaderOf(chunk), "alias list has no NUL");
    }
    for (const std::string& entry : SplitList(text)) {
        if (entry.find('=') == std::string::npos && Observed()) {
            Note(SkipReason::AliasWithoutEquals, HeaderOf(chunk), "alias entry \"" + entry + "\" has no '='");
        }
        AddTextureAlias(entry);
    }
}

void CZenthorModel::AddTextureAlias(const std::string& entry) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) {
        return;
    }
    textureAliases[entry.substr(0, equals)] = entry.substr(equals + 1);
}

std::string CZenthorModel::ResolveTextureAlias(const std::string& name) const {
    const auto found = textureAliases.find(name);
    return found != textureAliases.end() ? found->second : name;
}

std::vector<std::string> CZenthorModel::SplitList(std::string text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', start)) {
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (text.size() - start > 1) {
        pieces.push_back(text.substr(start));
    }
    return pieces;
}

bool CZenthorModel::Observed() const {
    return m_load != nullptr && m_load->observer != nullptr;
}

void CZenthorModel::Note(SkipReason reason, std::uintptr_t where, std::string detail) {
    if (!Observed()) {
        return;
    }
    const LoadState::OpenFile& file = m_load->chain.back();
    const std::uintptr_t base = AddressOf(file.base);
    m_load->observer->OnSkipped({reason, file.path, where >= base ? where - base : 0, std::move(detail)});
}

}  // namespace zenthor
