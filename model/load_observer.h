// Diagnostics of a load. The loader itself stays silent; a caller that wants to know why a
// model came in short hands it an observer, which hears of every reference followed or
// not, and of everything passed over or cut short on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zenthor {

enum class ReferenceOutcome {
    Loaded,                   // the referenced file was read in its place
    FilteredAsLevelOfDetail,  // the name holds "_lod" and level-of-detail files were not asked for
    Missing,                  // no file could be opened at the composed path
    Cycle,                    // the file is already open further up the current chain of references
    TooDeep,                  // the chain of references is already as deep as the loader goes
    LimitReached,             // the load has already opened as many referenced files as it allows
};

struct ReferenceRecord {
    std::string referencingFile;  // the file whose reference chunk names it
    std::string name;             // the name as listed
    std::string path;             // the composed path that was (or would have been) opened
    int depth = 0;                // 1 for the picked file's own references
    ReferenceOutcome outcome = ReferenceOutcome::Loaded;
    // Loaded files, once read: the meshes that the file and its own references gave.
    int meshesFound = -1;
};

enum class SkipReason {
    FileUnreadable,      // the picked file could not be opened or mapped (or is empty)
    ChunkCutShort,       // a chunk declared more payload than its enclosing range holds
    CountCutShort,       // a count claimed more data than its payload holds
    StringUnterminated,  // a string ran to the end of its payload without a NUL
    HeaderShort,         // a mesh header payload of fewer than 64 bytes (the rest reads as zero)
    MeshDropped,         // a mesh entry left no record (no vertices, no indices, or a bad count)
    ShortReferenceList,  // a reference string of 0 or 1 character, which names no file
    AliasWithoutEquals,  // an alias entry without '=', which adds nothing
    UnknownChunk,        // a chunk id that the level does not act on, stepped over
    LevelEndedEarly,     // a chunk id 0xFFFFFFFF ended the level; what follows was not read
    TrailingBytes,       // 1 to 7 bytes after the last chunk of a level, ignored
    NoModelChunks,       // no top-level chunk of the file is one of this format's
};

struct Diagnostic {
    SkipReason reason = SkipReason::UnknownChunk;
    std::string file;          // the file being read
    std::uint64_t offset = 0;  // byte offset in that file where the thing starts
    std::string detail;        // a short human-readable account
};

class LoadObserver {
public:
    virtual ~LoadObserver() = default;
    // A reference met, before its file is read.
    virtual void OnReference(const ReferenceRecord& record) {}
    // A loaded reference once its file has been read, with `meshesFound` set.
    virtual void OnReferenceRead(const ReferenceRecord& record) {}
    virtual void OnSkipped(const Diagnostic& diagnostic) {}
};

// An observer that keeps everything it hears, in order; a loaded reference's record gets
// its `meshesFound` when the file has been read.
class LoadLog final : public LoadObserver {
public:
    void OnReference(const ReferenceRecord& record) override { references.push_back(record); }
    void OnReferenceRead(const ReferenceRecord& record) override;
    void OnSkipped(const Diagnostic& diagnostic) override { diagnostics.push_back(diagnostic); }

    // What makes `file` malformed, the most telling first; empty when nothing does.
    std::vector<const Diagnostic*> ProblemsOf(const std::string& file) const;

    std::size_t Count(SkipReason reason) const;
    std::size_t Count(ReferenceOutcome outcome) const;

    std::vector<ReferenceRecord> references;
    std::vector<Diagnostic> diagnostics;
};

// True for the notes that mean a file is damaged or not of this format: a chunk, count or
// string cut short, a short header, a level ended early, no model chunk at all.
bool MeansMalformed(SkipReason reason);
// A note as a report shows it: what was wrong, and at which offset of its file (a file
// with no model chunk at all is wrong from its start).
std::string DescribeProblem(const Diagnostic& diagnostic);

// Stable lower-case names, e.g. "filtered-as-lod", "chunk-cut-short".
const char* ToString(ReferenceOutcome outcome);
const char* ToString(SkipReason reason);

}  // namespace zenthor
