// CZenthorModel: the in-memory model that one load builds from the picked model or mesh
// file and every mesh file it references, and the loader that builds it.
//
// Hostile input: every read stays inside its chunk (see chunk_reader.h). A count that
// claims more data than its sub-chunk holds is checked before anything is allocated, and
// the mesh entry holding it is dropped whole: a lying count means the entry is corrupt,
// and half an entry would come into the scene as plausible but wrong geometry. A mesh
// header shorter than 64 bytes is kept with the missing bytes zero (nothing reads it).
// A reference to a file already open further up the current chain is refused, as is one
// deeper than kMaxReferenceDepth, and one load opens at most kMaxReferencedFiles files;
// repeated references that form no cycle load each time, in their places. Indices are kept
// as read (see ModelMesh).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/chunk_reader.h"
#include "model/load_observer.h"
#include "model/model_mesh.h"

namespace zenthor {

class FileSource;

class CZenthorModel {
public:
    // Reference chains go at most this deep below the picked file.
    static constexpr int kMaxReferenceDepth = 256;
    // Repeated references multiply; this bounds the work one hostile file can ask for.
    static constexpr std::size_t kMaxReferencedFiles = 10000;

    CZenthorModel();
    virtual ~CZenthorModel();
    CZenthorModel(const CZenthorModel&) = delete;
    CZenthorModel& operator=(const CZenthorModel&) = delete;

    // Loads `path` and, recursively, the mesh files it references (level-of-detail files
    // only when `includeLods`). True when at least one mesh record was kept. `observer`
    // hears of everything passed over; `files` replaces the file system. Call once on a
    // fresh model.
    bool LoadFromFile(const std::string& path, bool includeLods, LoadObserver* observer = nullptr,
                      FileSource* files = nullptr);

    int GetMeshCount() const { return static_cast<int>(meshes.size()); }
    // The caller keeps `index` below GetMeshCount().
    ModelMesh* GetMesh(int index) const { return meshes[static_cast<std::size_t>(index)].get(); }

    // "key=replacement": the first '=' splits; no '=' adds nothing; a later key wins.
    void AddTextureAlias(const std::string& entry);
    // The replacement for `name` when the table has it as a key, else `name`.
    std::string ResolveTextureAlias(const std::string& name) const;

    // Splits at every ','. Empty pieces before a ',' are kept; the last piece is kept only
    // when it has more than one character (so "a,b,c" gives a and b). Stored files rely on
    // these corners.
    static std::vector<std::string> SplitList(std::string text);

    bool includeLods = false;
    std::vector<std::unique_ptr<ModelMesh>> meshes;  // kept records, depth-first file order
    std::unique_ptr<ModelMesh> currentMesh;          // the entry being read; null otherwise
    std::string contentRoot;
    std::map<std::string, std::string> textureAliases;

private:
    struct LoadState;

    void ReadFile(CChunkReader& file);
    // Handles one top-level chunk, as NextChunk of a file reader has bound `chunk`; only
    // during a load, which supplies the files and the chain of open references.
    void ParseChunk(CChunkReader& chunk);
    void ReadMeshEntries(CChunkReader& chunk);
    void ReadMeshEntry(CChunkReader& entry);
    void ReadMeshHeader(CChunkReader& chunk);
    void ReadMeshTextures(CChunkReader& chunk);
    void ReadIndices(CChunkReader& chunk);
    void ReadStaticVertices(CChunkReader& chunk);
    void ReadSkinnedVertices(CChunkReader& chunk);
    void ReadReferences(CChunkReader& chunk);
    void FollowReference(const std::string& name);
    void ReadAliases(CChunkReader& chunk);

    template <typename Handler>
    void WalkLevel(CChunkReader& level, const char* what, Handler&& handle);
    // The next `count` records of `recordSize` bytes, stepped past; null, with the current
    // mesh dropped (a `what` count that needs more than is there), when the chunk holds fewer.
    const std::uint8_t* TakeRecords(CChunkReader& chunk, const char* what, std::uint32_t count,
                                    std::uint64_t recordSize);
    // Decodes `count` vertex records of the chunk into the current mesh (or drops it).
    void TakeVertices(CChunkReader& chunk, std::uint32_t count, bool skinned);
    // Records why the current entry will be dropped when it ends (the first reason wins).
    void RecordDropReason(const CChunkReader& chunk, const std::string& why);
    void Note(SkipReason reason, std::uintptr_t where, std::string detail);
    bool Observed() const;

    LoadState* m_load = nullptr;  // set for the length of LoadFromFile
    std::string m_entryProblem;   // why the current entry will be dropped; empty when sound
};

}  // namespace zenthor
