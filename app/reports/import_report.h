// What one import read and left out, as the importer told zenthor's host log (with the
// notes zenthor adds, host_notes.h), grouped for people (one line per kind, a count and the
// first few names; missing textures one line per file with the number of objects using
// it) and for scripts (JSON). Level-of-detail files that the setting skipped are the
// setting doing its job: they are reported apart from what was left out.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "app/support/text_encoding.h"
#include "host/log_sys.h"

namespace zenthor {

struct LogRecord {
    DWORD type = SYSLOG_INFO;
    std::string title;
    std::string text;
};

// What became of a referenced file: the names of ToString(ReferenceOutcome) in
// model/load_observer.h, and two that zenthor tells apart from them.
inline constexpr std::string_view kOutcomeUnreadable = "unreadable";  // there, but it cannot be read
inline constexpr std::string_view kOutcomeMalformed = "malformed";    // read, but it gave no mesh

struct ImportReport {
    struct Reference {
        std::string name;
        std::string path;
        std::string outcome;
        // Refused: "cycle", "depth limit" or "file limit"; unreadable: the system's reason;
        // malformed: what was wrong, and where.
        std::string why;
    };
    struct DroppedEntry {
        std::string file;
        std::string why;
    };
    struct DroppedTriangles {
        std::string object;
        std::uint64_t count = 0;
        std::string why;
    };
    struct MissingTexture {
        std::string path;
        std::vector<std::string> objects;  // in scene order
    };
    // The imported file lies in no folder named content, so the importer looked for its
    // references and textures below `lookedIn` instead.
    struct NoContentFolder {
        std::string file;
        std::string lookedIn;
    };

    std::vector<Reference> references;  // every reference met, in load order
    std::vector<DroppedEntry> meshEntriesDropped;
    std::vector<DroppedTriangles> trianglesDropped;
    std::vector<MissingTexture> texturesNotFound;  // by file, in order of first use
    std::vector<std::string> objectsNotCreated;
    std::optional<NoContentFolder> noContentFolder;

    std::vector<Reference> ReferencesWith(std::string_view outcome) const;
    // The referenced files the import read (loaded or malformed), in load order.
    std::vector<std::string> FilesRead() const;
    std::vector<Reference> LevelOfDetailSkipped() const;
    // True when anything was left out; level-of-detail files the setting skipped are not.
    bool LeftOut() const;
    std::uint64_t TrianglesDroppedTotal() const;
};

ImportReport BuildImportReport(const std::vector<LogRecord>& records);

// One line per kind of thing left out, each starting with `indent`, after a line on the
// missing content folder where that explains it; nothing when nothing was left out.
// Without `verbose` each line names the first few and counts the rest.
void PrintImportReport(std::ostream& out, const ImportReport& report, bool verbose, const std::string& indent);

// "2 level-of-detail files skipped: crate_lod1, rock_lod1", then "; " and `howToLoad` when
// given; empty when the setting skipped none.
std::string LevelOfDetailLine(const ImportReport& report, bool verbose, std::string_view howToLoad);

// `text` makes each name, path and line JSON text (UTF-8).
nlohmann::json ImportReportJson(const ImportReport& report,
                                const std::function<std::string(std::string_view)>& text = ToUtf8);

}  // namespace zenthor
