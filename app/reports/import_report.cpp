#include "app/reports/import_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include "app/reports/host_notes.h"
#include "app/reports/wording.h"
#include "app/support/text_encoding.h"
#include "host/import_log.h"
#include "model/load_observer.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

std::string Field(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string();
}

// The outcome of a reference refused for `why` ("cycle", "depth limit", "file limit").
std::string RefusedOutcome(const std::string& why) {
    const ReferenceOutcome outcome = why == import_log::kRefusedCycle   ? ReferenceOutcome::Cycle
                                     : why == import_log::kRefusedDepth ? ReferenceOutcome::TooDeep
                                                                        : ReferenceOutcome::LimitReached;
    return ToString(outcome);
}

bool IsRefused(const std::string& outcome) {
    return outcome == ToString(ReferenceOutcome::Cycle) || outcome == ToString(ReferenceOutcome::TooDeep) ||
           outcome == ToString(ReferenceOutcome::LimitReached);
}

const std::string kLoaded = ToString(ReferenceOutcome::Loaded);
const std::string kMissing = ToString(ReferenceOutcome::Missing);
const std::string kFilteredAsLod = ToString(ReferenceOutcome::FilteredAsLevelOfDetail);

}  // namespace

std::vector<ImportReport::Reference> ImportReport::ReferencesWith(std::string_view outcome) const {
    std::vector<Reference> found;
    std::copy_if(references.begin(), references.end(), std::back_inserter(found),
                 [&](const Reference& r) { return r.outcome == outcome; });
    return found;
}

std::vector<std::string> ImportReport::FilesRead() const {
    std::vector<std::string> files;
    for (const Reference& r : references) {
        if (r.outcome == kLoaded || r.outcome == kOutcomeMalformed) {
            files.push_back(r.path);
        }
    }
    return files;
}

std::vector<ImportReport::Reference> ImportReport::LevelOfDetailSkipped() const {
    return ReferencesWith(kFilteredAsLod);
}

bool ImportReport::LeftOut() const {
    const bool referenceLeftOut = std::any_of(references.begin(), references.end(), [](const Reference& r) {
        return r.outcome != kLoaded && r.outcome != kFilteredAsLod;
    });
    return referenceLeftOut || !meshEntriesDropped.empty() || !trianglesDropped.empty() ||
           !texturesNotFound.empty() || !objectsNotCreated.empty();
}

std::uint64_t ImportReport::TrianglesDroppedTotal() const {
    std::uint64_t total = 0;
    for (const DroppedTriangles& d : trianglesDropped) {
        total += d.count;
    }
    return total;
}

ImportReport BuildImportReport(const std::vector<LogRecord>& records) {
    using namespace import_log;
    ImportReport report;
    for (const LogRecord& record : records) {
        const std::vector<std::string> f = SplitFields(record.text);
        const std::string& title = record.title;
        const auto reference = [&](const std::string& outcome, const std::string& why) {
            report.references.push_back({Field(f, 0), platform::DisplayPath(Field(f, 1)), outcome, why});
        };
        if (title == kReferenceLoaded) {
            reference(kLoaded, "");
        } else if (title == kReferenceMissing) {
            reference(kMissing, "");
        } else if (title == host_notes::kReferenceUnreadable) {
            reference(std::string(kOutcomeUnreadable), Field(f, 2));
        } else if (title == kReferenceFiltered) {
            reference(kFilteredAsLod, "");
        } else if (title == kReferenceRefused) {
            reference(RefusedOutcome(Field(f, 2)), Field(f, 2));
        } else if (title == kReferenceMalformed) {
            // The file was met as loaded; what it gave came out only once it had been read.
            const std::string path = platform::DisplayPath(Field(f, 1));
            const auto loaded = std::find_if(report.references.rbegin(), report.references.rend(),
                                             [&](const auto& r) { return r.path == path && r.outcome == kLoaded; });
            if (loaded != report.references.rend()) {
                loaded->outcome = kOutcomeMalformed;
                loaded->why = Field(f, 2);
            } else {
                reference(std::string(kOutcomeMalformed), Field(f, 2));
            }
        } else if (title == kMeshEntryDropped) {
            report.meshEntriesDropped.push_back({platform::DisplayPath(Field(f, 0)), Field(f, 1)});
        } else if (title == kTrianglesDropped) {
            report.trianglesDropped.push_back({Field(f, 0), std::strtoull(Field(f, 1).c_str(), nullptr, 10), Field(f, 2)});
        } else if (title == kTextureNotFound) {
            const std::string path = platform::DisplayPath(Field(f, 1));
            auto found = std::find_if(report.texturesNotFound.begin(), report.texturesNotFound.end(),
                                      [&](const ImportReport::MissingTexture& t) { return t.path == path; });
            if (found == report.texturesNotFound.end()) {
                found = report.texturesNotFound.insert(found, {path, {}});
            }
            found->objects.push_back(Field(f, 0));
        } else if (title == kObjectNotCreated) {
            report.objectsNotCreated.push_back(Field(f, 0));
        } else if (title == host_notes::kNoContentFolder) {
            report.noContentFolder = ImportReport::NoContentFolder{Field(f, 0), Field(f, 1)};
        }
    }
    return report;
}

void PrintImportReport(std::ostream& out, const ImportReport& report, bool verbose, const std::string& indent) {
    if (!report.LeftOut()) {
        return;
    }
    if (const auto& note = report.noContentFolder) {
        out << indent << "no folder named content above " << OneLine(note->file)
            << ", so references were looked for in " << OneLine(note->lookedIn) << "/meshes/ and textures in "
            << OneLine(note->lookedIn)
            << "/textures/ (a content tree keeps them below <folder>/content/meshes/ and "
               "<folder>/content/textures/)\n";
    }
    const auto name = [](const ImportReport::Reference& r) { return OneLine(r.name); };
    const auto nameAndWhy = [](const ImportReport::Reference& r) {
        return OneLine(r.name) + " (" + OneLine(r.why) + ")";
    };
    if (const auto refs = report.ReferencesWith(kMissing); !refs.empty()) {
        out << indent << Plural(refs.size(), "reference", "references") << " missing: "
            << NameList(refs, verbose, name) << "\n";
    }
    if (const auto refs = report.ReferencesWith(kOutcomeUnreadable); !refs.empty()) {
        out << indent << Plural(refs.size(), "referenced file", "referenced files") << " unreadable: "
            << NameList(refs, verbose, nameAndWhy) << "\n";
    }
    if (const auto refs = report.ReferencesWith(kOutcomeMalformed); !refs.empty()) {
        out << indent << Plural(refs.size(), "referenced file", "referenced files") << " malformed, nothing imported from "
            << (refs.size() == 1 ? "it: " : "them: ") << NameList(refs, verbose, nameAndWhy) << "\n";
    }
    std::vector<ImportReport::Reference> refused;
    std::copy_if(report.references.begin(), report.references.end(), std::back_inserter(refused),
                 [](const ImportReport::Reference& r) { return IsRefused(r.outcome); });
    if (!refused.empty()) {
        out << indent << Plural(refused.size(), "reference", "references") << " refused: "
            << NameList(refused, verbose, nameAndWhy) << "\n";
    }
    if (const auto& dropped = report.meshEntriesDropped; !dropped.empty()) {
        out << indent << Plural(dropped.size(), "mesh entry", "mesh entries") << " dropped as malformed: "
            << NameList(dropped, verbose, [](const ImportReport::DroppedEntry& d) {
                   return OneLine(d.file) + " (" + OneLine(d.why) + ")";
               })
            << "\n";
    }
    if (const auto& dropped = report.trianglesDropped; !dropped.empty()) {
        out << indent << Plural(report.TrianglesDroppedTotal(), "triangle", "triangles") << " dropped: "
            << NameList(dropped, verbose, [](const ImportReport::DroppedTriangles& d) {
                   return std::to_string(d.count) + " of " + OneLine(d.object) + " (" + d.why + ")";
               })
            << "\n";
    }
    const auto& textures = report.texturesNotFound;
    const std::size_t texturesShown = verbose ? textures.size() : std::min(textures.size(), kNamesShown);
    for (std::size_t i = 0; i < texturesShown; ++i) {
        out << indent << "texture not found: " << OneLine(textures[i].path) << " ("
            << Plural(textures[i].objects.size(), "object", "objects") << ")\n";
    }
    if (texturesShown < textures.size()) {
        out << indent << "and " << Plural(textures.size() - texturesShown, "more texture", "more textures")
            << " not found (--verbose lists all)\n";
    }
    if (const auto& objects = report.objectsNotCreated; !objects.empty()) {
        out << indent << Plural(objects.size(), "object", "objects") << " the host could not create: "
            << NameList(objects, verbose, [](const std::string& o) { return OneLine(o); }) << "\n";
    }
}

std::string LevelOfDetailLine(const ImportReport& report, bool verbose, std::string_view howToLoad) {
    const std::vector<ImportReport::Reference> skipped = report.LevelOfDetailSkipped();
    if (skipped.empty()) {
        return "";
    }
    return Plural(skipped.size(), "level-of-detail file", "level-of-detail files") + " skipped: " +
           NameList(skipped, verbose, [](const ImportReport::Reference& r) { return OneLine(r.name); }) +
           (howToLoad.empty() ? "" : "; " + std::string(howToLoad));
}

nlohmann::json ImportReportJson(const ImportReport& report, const std::function<std::string(std::string_view)>& text) {
    using nlohmann::json;
    const auto references = [&text](const std::vector<ImportReport::Reference>& refs, bool withWhy) {
        json list = json::array();
        for (const ImportReport::Reference& r : refs) {
            json item = {{"name", text(r.name)}, {"path", text(r.path)}};
            if (withWhy) {
                item["why"] = text(r.why);
            }
            list.push_back(std::move(item));
        }
        return list;
    };
    std::vector<ImportReport::Reference> refused;
    std::copy_if(report.references.begin(), report.references.end(), std::back_inserter(refused),
                 [](const ImportReport::Reference& r) { return IsRefused(r.outcome); });
    json leftOut;
    leftOut["referencesMissing"] = references(report.ReferencesWith(kMissing), false);
    leftOut["referencesUnreadable"] = references(report.ReferencesWith(kOutcomeUnreadable), true);
    leftOut["referencesMalformed"] = references(report.ReferencesWith(kOutcomeMalformed), true);
    leftOut["referencesRefused"] = references(refused, true);
    leftOut["meshEntriesDropped"] = json::array();
    for (const auto& d : report.meshEntriesDropped) {
        leftOut["meshEntriesDropped"].push_back({{"file", text(d.file)}, {"why", text(d.why)}});
    }
    leftOut["trianglesDropped"] = json::array();
    for (const auto& d : report.trianglesDropped) {
        leftOut["trianglesDropped"].push_back({{"object", text(d.object)}, {"count", d.count}, {"why", d.why}});
    }
    leftOut["texturesNotFound"] = json::array();
    for (const auto& t : report.texturesNotFound) {
        json objects = json::array();
        for (const std::string& o : t.objects) {
            objects.push_back(text(o));
        }
        leftOut["texturesNotFound"].push_back({{"path", text(t.path)}, {"objects", std::move(objects)}});
    }
    leftOut["objectsNotCreated"] = json::array();
    for (const std::string& o : report.objectsNotCreated) {
        leftOut["objectsNotCreated"].push_back(text(o));
    }
    json all = json::array();
    for (const ImportReport::Reference& r : report.references) {
        json item = {{"name", text(r.name)}, {"path", text(r.path)}, {"outcome", r.outcome}};
        if (!r.why.empty()) {
            item["why"] = text(r.why);
        }
        all.push_back(std::move(item));
    }
    json filesRead = json::array();
    for (const std::string& f : report.FilesRead()) {
        filesRead.push_back(text(f));
    }
    json noContentFolder = nullptr;
    if (report.noContentFolder) {
        noContentFolder = {{"file", text(report.noContentFolder->file)},
                           {"lookedIn", text(report.noContentFolder->lookedIn)}};
    }
    // The lines a person reads, for programs that show them; the level-of-detail line comes
    // without a hint, since how to load those files depends on where it is shown.
    std::stringstream printed;
    PrintImportReport(printed, report, false, "");
    json lines = json::array();
    for (std::string line; std::getline(printed, line);) {
        lines.push_back(text(line));
    }
    const std::string lods = LevelOfDetailLine(report, false, "");
    return {{"lines", std::move(lines)},
            {"levelOfDetailLine", lods.empty() ? json(nullptr) : json(text(lods))},
            {"leftOut", std::move(leftOut)},
            {"levelOfDetailSkipped", references(report.LevelOfDetailSkipped(), false)},
            {"references", std::move(all)},
            {"filesRead", std::move(filesRead)},
            {"noContentFolder", std::move(noContentFolder)}};
}

}  // namespace zenthor
