#include "app/reports/load_failure.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/reports/import_report.h"
#include "app/reports/wording.h"
#include "model/load_observer.h"
#include "model/zenthor_model.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// "name (why)" of every reference judged `outcome`, the first few.
std::vector<std::string> Judged(const LoadLog& log, std::string_view outcome, bool withWhy) {
    std::vector<std::string> names;
    for (const ReferenceRecord& ref : log.references) {
        const ReferenceVerdict verdict = JudgeReference(log, ref);
        if (verdict.outcome == outcome) {
            names.push_back(withWhy ? ref.name + " (" + verdict.why + ")" : ref.name);
        }
    }
    return names;
}

std::string Listed(const std::vector<std::string>& names) {
    return NameList(names, false, [](const std::string& name) { return name; });
}

}  // namespace

std::optional<std::string> WhyUnreadable(const std::string& path) {
    const std::string file = platform::ResolvePath(path);
    std::error_code code;
    const fs::file_status status = fs::status(file, code);
    if (!fs::exists(status)) {
        return std::nullopt;
    }
    if (fs::is_directory(status)) {
        return "it is a folder";
    }
    // Not blocking: a pipe with no writer would hold the open.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::string(std::strerror(errno));
    }
    close(fd);
    if (!fs::is_regular_file(status)) {
        return "it is not a regular file";
    }
    if (fs::file_size(file, code) == 0 && !code) {
        return "the file is empty";
    }
    return "it cannot be mapped into memory";
}

ReferenceVerdict JudgeReference(const LoadLog& log, const ReferenceRecord& reference) {
    if (reference.outcome == ReferenceOutcome::Missing) {
        if (const std::optional<std::string> why = WhyUnreadable(reference.path)) {
            return {std::string(kOutcomeUnreadable), *why};
        }
    }
    if (reference.outcome == ReferenceOutcome::Loaded && reference.meshesFound == 0) {
        const std::vector<const Diagnostic*> problems = log.ProblemsOf(reference.path);
        return {std::string(kOutcomeMalformed),
                problems.empty() ? "no mesh entry in it" : DescribeProblem(*problems.front())};
    }
    return {ToString(reference.outcome), ""};
}

std::string ExplainLoadFailure(const std::string& file, const LoadLog& log) {
    if (log.Count(SkipReason::FileUnreadable) > 0) {
        const std::optional<std::string> why = WhyUnreadable(file);
        return "cannot open it: " + why.value_or("no such file");
    }
    const std::vector<const Diagnostic*> problems = log.ProblemsOf(file);
    if (!problems.empty() && problems.front()->reason == SkipReason::NoModelChunks) {
        return "it is not a .model or .mesh file: " + DescribeProblem(*problems.front());
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
    if (const auto names = Judged(log, ToString(ReferenceOutcome::FilteredAsLevelOfDetail), false); !names.empty()) {
        causes.push_back(Plural(names.size(), "referenced level-of-detail file was", "referenced level-of-detail files were") +
                         " skipped (" + Listed(names) + "): add --include-lods to load them");
    }
    if (const auto names = Judged(log, ToString(ReferenceOutcome::Missing), false); !names.empty()) {
        causes.push_back(Plural(names.size(), "referenced file is", "referenced files are") + " missing (" +
                         Listed(names) + ")");
    }
    if (const auto names = Judged(log, kOutcomeUnreadable, true); !names.empty()) {
        causes.push_back(Plural(names.size(), "referenced file is", "referenced files are") + " unreadable (" +
                         Listed(names) + ")");
    }
    if (const auto names = Judged(log, kOutcomeMalformed, true); !names.empty()) {
        causes.push_back(Plural(names.size(), "referenced file is", "referenced files are") + " malformed (" +
                         Listed(names) + ")");
    }
    const std::size_t refused = log.Count(ReferenceOutcome::Cycle) + log.Count(ReferenceOutcome::TooDeep) +
                                log.Count(ReferenceOutcome::LimitReached);
    if (refused > 0) {
        causes.push_back(std::to_string(refused) + " references refused (cycles, or too deep or too many)");
    }
    if (causes.empty()) {
        return "no mesh in it: " + (problems.empty() ? std::string("it holds no mesh entries")
                                                     : "the file is malformed: " + DescribeProblem(*problems.front()));
    }
    std::string out = "no mesh was loaded: ";
    for (std::size_t i = 0; i < causes.size(); ++i) {
        out += (i > 0 ? "; " : "") + causes[i];
    }
    return out;
}

std::string ExplainImportFailure(const std::string& file, bool includeLods) {
    CZenthorModel model;
    LoadLog log;
    if (model.LoadFromFile(file, includeLods, &log)) {
        return "the importer failed on it although it loads (out of memory?)";
    }
    return ExplainLoadFailure(file, log);
}

}  // namespace zenthor
