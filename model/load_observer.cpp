#include "model/load_observer.h"

#include <algorithm>

namespace zenthor {

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
    }
    return "unknown";
}

}  // namespace zenthor
