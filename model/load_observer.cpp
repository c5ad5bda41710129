#include "model/load_observer.h"

#include <algorithm>
#include <cstdio>

namespace zenthor {

void LoadLog::OnReferenceRead(const ReferenceRecord& record) {
    // Files are read depth first, so the record is the latest loaded one of this path that
    // has not been read yet.
    for (auto it = references.rbegin(); it != references.rend(); ++it) {
        if (it->path == record.path && it->outcome == ReferenceOutcome::Loaded && it->meshesFound < 0) {
            it->meshesFound = record.meshesFound;
            return;
        }
    }
}

std::vector<const Diagnostic*> LoadLog::ProblemsOf(const std::string& file) const {
    std::vector<const Diagnostic*> problems;
    for (const Diagnostic& d : diagnostics) {
        if (d.file == file && MeansMalformed(d.reason)) {
            problems.push_back(&d);
        }
    }
    std::stable_partition(problems.begin(), problems.end(),
                          [](const Diagnostic* d) { return d->reason == SkipReason::NoModelChunks; });
    return problems;
}

bool MeansMalformed(SkipReason reason) {
    switch (reason) {
        case SkipReason::ChunkCutShort:
        case SkipReason::CountCutShort:
        case SkipReason::StringUnterminated:
        case SkipReason::HeaderShort:
        case SkipReason::LevelEndedEarly:
        case SkipReason::NoModelChunks:
            return true;
        default:
            return false;
    }
}

std::string DescribeProblem(const Diagnostic& diagnostic) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "0x%llx", static_cast<unsigned long long>(diagnostic.offset));
    return diagnostic.reason == SkipReason::NoModelChunks ? diagnostic.detail
                                                           : diagnostic.detail + ", at offset " + offset;
}

std::size_t LoadLog::Count(SkipReason reason) const {
    return static_cast<std::size_t>(std::count_if(diagnostics.begin(), diagnostics.end(),
                                                  [&](const Diagnostic& d) { return d.reason == reason; }));
}

std::size_t LoadLog::Count(ReferenceOutcome outcome) const {
    return static_cast<std::size_t>(
        std::count_if(references.begin(), references.end(),
                      [&](const ReferenceRecord& r) { return r.outcome == outcome; }));
}

const char* ToString(ReferenceOutcome outcome) {
    switch (outcome) {
        case ReferenceOutcome::Loaded:
            return "loaded";
        case ReferenceOutcome::FilteredAsLevelOfDetail:
            return "filtered-as-lod";
        case ReferenceOutcome::Missing:
            return "missing";
        case ReferenceOutcome::Cycle:
            return "cycle-refused";
        case ReferenceOutcome::TooDeep:
            return "too-deep";
        case ReferenceOutcome::LimitReached:
            return "file-limit-reached";
    }
    return "unknown";
}

const char* ToString(SkipReason reason) {
    switch (reason) {
        case SkipReason::FileUnreadable:
            return "file-unreadable";
        case SkipReason::ChunkCutShort:
            return "chunk-cut-short";
        case SkipReason::CountCutShort:
            return "count-cut-short";
        case SkipReason::StringUnterminated:
            return "string-unterminated";
        case SkipReason::HeaderShort:
            return "header-short";
        case SkipReason::MeshDropped:
            return "mesh-dropped";
        case SkipReason::ShortReferenceList:
            return "short-reference-list";
        case SkipReason::AliasWithoutEquals:
            return "alias-without-equals";
        case SkipReason::UnknownChunk:
            return "unknown-chunk";
        case SkipReason::LevelEndedEarly:
            return "level-ended-early";
        case SkipReason::TrailingBytes:
            return "trailing-bytes";
        case SkipReason::NoModelChunks:
            return "no-model-chunks";
    }
    return "unknown";
}

}  // namespace zenthor
