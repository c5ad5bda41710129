// What one import read and left out, as the importer told zenthor's host log, grouped for
// people (one line per kind, a count and the first few names; missing textures one line
// per file with the number of objects using it) and for scripts (JSON).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "host/log_sys.h"

namespace zenthor {

struct LogRecord {
    DWORD type = SYSLOG_INFO;
    std::string title;
    std::string text;
};

struct ImportReport {
    struct Reference {
        std::string name;
        std::string path;
        std::string why;  // refused only: "cycle", "depth limit" or "file limit"
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

    std::vector<std::string> filesRead;  // the referenced files loaded, in load order
    std::vector<Reference> referencesMissing;
    std::vector<Reference> referencesFiltered;
    std::vector<Reference> referencesRefused;
    std::vector<DroppedEntry> meshEntriesDropped;
    std::vector<DroppedTriangles> trianglesDropped;
    std::vector<MissingTexture> texturesNotFound;  // by file, in order of first use
    std::vector<std::string> objectsNotCreated;

    // True when anything at all was left out.
    bool LeftOut() const;
    std::uint64_t TrianglesDroppedTotal() const;
};

ImportReport BuildImportReport(const std::vector<LogRecord>& records);

// One line per kind of thing left out, each starting with `indent`; nothing when nothing
// was. Without `verbose` each line names the first few and counts the rest.
void PrintImportReport(std::ostream& out, const ImportReport& report, bool verbose, const std::string& indent);

nlohmann::json ImportReportJson(const ImportReport& report);

}  // namespace zenthor
