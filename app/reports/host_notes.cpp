#include "app/reports/host_notes.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "app/reports/load_failure.h"
#include "host/import_log.h"
#include "model/content_root.h"
#include "platform/path_lookup.h"

namespace zenthor::host_notes {

void AddHostNotes(const std::string& importedPath, std::vector<LogRecord>& log) {
    for (LogRecord& record : log) {
        if (record.title != import_log::kReferenceMissing) {
            continue;
        }
        std::vector<std::string> fields = import_log::SplitFields(record.text);
        fields.resize(2);
        if (const std::optional<std::string> why = WhyUnreadable(fields[1])) {
            record.title = kReferenceUnreadable;
            record.text = import_log::JoinFields({fields[0], fields[1], *why});
        }
    }
    if (ContentRootOf(importedPath).empty()) {
        // The importer then composes relative paths, which the process resolves from its folder.
        std::error_code error;
        const std::string here = std::filesystem::current_path(error).string();
        log.push_back({SYSLOG_INFO, kNoContentFolder,
                       import_log::JoinFields({platform::DisplayPath(importedPath), here})});
    }
}

}  // namespace zenthor::host_notes
