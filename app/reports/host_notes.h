// What zenthor adds to an importer's log once the import has returned, so that the report
// says why: a reference the importer could not open although its file is there
// (unreadable, with the system's reason), and an imported file that lies in no folder
// named content, with where its references were looked for instead.
#pragma once

#include <string>
#include <vector>

#include "app/reports/import_report.h"

namespace zenthor::host_notes {

// Replaces a "reference missing" entry of the importer's (host/import_log.h).
inline constexpr const char* kReferenceUnreadable = "reference unreadable";  // name, path, why
inline constexpr const char* kNoContentFolder = "no content folder";         // file, looked in

// Adds the notes for an import of `importedPath`, the full path the importer was given.
void AddHostNotes(const std::string& importedPath, std::vector<LogRecord>& log);

}  // namespace zenthor::host_notes
