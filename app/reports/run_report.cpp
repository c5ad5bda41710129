#include "app/reports/run_report.h"

#include <nlohmann/json.hpp>

#include "app/support/pending_file.h"
#include "app/support/text_encoding.h"

namespace zenthor {

bool WriteRunReport(const std::filesystem::path& path, const std::vector<FileResult>& files, std::string& error) {
    using nlohmann::json;
    json entries = json::array();
    std::size_t imported = 0;
    std::size_t withOmissions = 0;
    for (const FileResult& file : files) {
        const bool leftOut = file.report.LeftOut();
        imported += file.imported ? 1 : 0;
        withOmissions += file.imported && leftOut ? 1 : 0;
        json entry = ImportReportJson(file.report);
        entry["input"] = ToUtf8(file.input.string());
        entry["output"] = ToUtf8(file.output.string());
        entry["status"] = !file.imported ? "failed" : leftOut ? "imported-with-omissions" : "imported";
        if (!file.imported) {
            entry["error"] = ToUtf8(file.error);
        }
        entry["objects"] = file.objectCount;
        entry["triangles"] = file.triangles;
        entry["warnings"] = json::array();
        for (const std::string& warning : file.warnings) {
            entry["warnings"].push_back(ToUtf8(warning));
        }
        entries.push_back(std::move(entry));
    }
    const json document = {{"files", std::move(entries)},
                           {"summary",
                            {{"files", files.size()},
                             {"imported", imported},
                             {"importedWithOmissions", withOmissions},
                             {"failed", files.size() - imported}}}};
    return WriteFileAtomically(path, document.dump(2) + "\n", error);
}

}  // namespace zenthor
