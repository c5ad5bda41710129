#include "app/reports/load_failure.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "model/load_observer.h"
#include "model/zenthor_model.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// The names of the references with this outcome, at most three, then "and N more".
std::string Names(const LoadLog& log, ReferenceOutcome outcome) {
    std::vector<std::string> names;
    for (const ReferenceRecord& ref : log.references) {
        if (ref.outcome == outcome) {
            names.push_back(ref.name);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < 3; ++i) {
        out += (i > 0 ? ", " : "") + names[i];
    }
    if (names.size() > 3) {
        out += " and " + std::to_string(names.size() - 3) + " more";
    }
    return out;
}

std::string WhyUnreadable(const std::string& file) {
    std::error_code code;
    const fs::file_status status = fs::status(file, code);
    if (!fs::exists(status)) {
        return "cannot open " + file + ": no such file";
    }
    if (fs::is_directory(status)) {
        return "cannot open " + file + ": it is a folder";
    }
    if (fs::file_size(file, code) == 0 && !code) {
        return "cannot open " + file + ": the file is empty";
    }
    return "cannot open " + file + ": it is not readable";
}

}  // namespace

std::string ExplainLoadFailure(const std::string& file, const LoadLog& log) {
    if (log.Count(SkipReason::FileUnreadable) > 0) {
        return WhyUnreadable(file);
    }
    std::vector<std::string> causes;
    if (const std::size_t n = log.Count(SkipReason::MeshDropped); n > 0) {
        std::string first;
        for (const Diagnostic& d : log.diagnostics) {
            if (d.reason == SkipReason::MeshDropped) {
                first = d.detail;
                break;
            }
        }
        causes.push_back(std::to_string(n) + (n == 1 ? " mesh entry was" : " mesh entries were") +
                         " malformed and dropped (" + first + ")");
    }
    if (const std::size_t n = log.Count(ReferenceOutcome::FilteredAsLevelOfDetail); n > 0) {
        causes.push_back(std::to_string(n) + " referenced level-of-detail " +
                         (n == 1 ? "file was" : "files were") + " skipped (" +
                         Names(log, ReferenceOutcome::FilteredAsLevelOfDetail) +
                         "): add --include-lods to load them");
    }
    if (const std::size_t n = log.Count(ReferenceOutcome::Missing); n > 0) {
        causes.push_back(std::to_string(n) + " referenced " + (n == 1 ? "file is" : "files are") +
                         " missing (" + Names(log, ReferenceOutcome::Missing) + ")");
    }
    const std::size_t refused = log.Count(ReferenceOutcome::Cycle) + log.Count(ReferenceOutcome::TooDeep) +
                                log.Count(ReferenceOutcome::LimitReached);
    if (refused > 0) {
        causes.push_back(std::to_string(refused) + " references refused (cycles, or too deep or too many)");
    }
    if (causes.empty()) {
        const bool cut = log.Count(SkipReason::ChunkCutShort) + log.Count(SkipReason::CountCutShort) > 0;
        return "no mesh in " + file +
               (cut ? ": the file is malformed or cut short" : ": it holds no mesh entries");
    }
    std::string out = "no mesh was loaded from " + file + ": ";
    for (std::size_t i = 0; i < causes.size(); ++i) {
        out += (i > 0 ? "; " : "") + causes[i];
    }
    return out;
}

std::string ExplainImportFailure(const std::string& file, bool includeLods) {
    CZenthorModel model;
    LoadLog log;
    if (model.LoadFromFile(file, includeLods, &log)) {
        return "the importer failed on " + file + " although it loads (out of memory?)";
    }
    return ExplainLoadFailure(file, log);
}

}  // namespace zenthor
