#include "app/reports/import_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>

#include "app/support/text_encoding.h"
#include "host/import_log.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

// Lines name this many items before "and N more"; --verbose names all.
constexpr std::size_t kNamesShown = 3;

std::string Field(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string();
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "a, b, c and 4 more" (or every name when verbose).
template <typename Item, typename Name>
std::string Names(const std::vector<Item>& items, bool verbose, Name name) {
    std::string out;
    const std::size_t shown = verbose ? items.size() : std::min(items.size(), kNamesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        out += (i > 0 ? ", " : "") + name(items[i]);
    }
    if (shown < items.size()) {
        out += " and " + std::to_string(items.size() - shown) + " more";
    }
    return out;
}

}  // namespace

bool ImportReport::LeftOut() const {
    return !referencesMissing.empty() || !referencesFiltered.empty() || !referencesRefused.empty() ||
           !meshEntriesDropped.empty() || !trianglesDropped.empty() || !texturesNotFound.empty() ||
           !objectsNotCreated.empty();
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
        if (title == kReferenceLoaded) {
            report.filesRead.push_back(platform::DisplayPath(Field(f, 1)));
        } else if (title == kReferenceMissing) {
            report.referencesMissing.push_back({Field(f, 0), platform::DisplayPath(Field(f, 1)), ""});
        } else if (title == kReferenceFiltered) {
            report.referencesFiltered.push_back({Field(f, 0), platform::DisplayPath(Field(f, 1)), ""});
        } else if (title == kReferenceRefused) {
            report.referencesRefused.push_back({Field(f, 0), platform::DisplayPath(Field(f, 1)), Field(f, 2)});
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
        }
    }
    return report;
}

void PrintImportReport(std::ostream& out, const ImportReport& report, bool verbose, const std::string& indent) {
    const auto name = [](const ImportReport::Reference& r) { return OneLine(r.name); };
    if (const auto& refs = report.referencesMissing; !refs.empty()) {
        out << indent << Plural(refs.size(), "reference", "references") << " missing: "
            << Names(refs, verbose, name) << "\n";
    }
    if (const auto& refs = report.referencesFiltered; !refs.empty()) {
        out << indent << Plural(refs.size(), "reference", "references") << " filtered as level of detail: "
            << Names(refs, verbose, name) << " (--include-lods loads them)\n";
    }
    if (const auto& refs = report.referencesRefused; !refs.empty()) {
        out << indent << Plural(refs.size(), "reference", "references") << " refused: "
            << Names(refs, verbose, [](const ImportReport::Reference& r) { return OneLine(r.name) + " (" + r.why + ")"; })
            << "\n";
    }
    if (const auto& dropped = report.meshEntriesDropped; !dropped.empty()) {
        out << indent << Plural(dropped.size(), "mesh entry", "mesh entries") << " dropped as malformed: "
            << Names(dropped, verbose, [](const ImportReport::DroppedEntry& d) {
                   return OneLine(d.file) + " (" + OneLine(d.why) + ")";
               })
            << "\n";
    }
    if (const auto& dropped = report.trianglesDropped; !dropped.empty()) {
        out << indent << Plural(report.TrianglesDroppedTotal(), "triangle", "triangles") << " dropped: "
            << Names(dropped, verbose, [](const ImportReport::DroppedTriangles& d) {
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
            << Names(objects, verbose, [](const std::string& o) { return OneLine(o); }) << "\n";
    }
}

nlohmann::json ImportReportJson(const ImportReport& report) {
    using nlohmann::json;
    const auto references = [](const std::vector<ImportReport::Reference>& refs, bool withWhy) {
        json list = json::array();
        for (const ImportReport::Reference& r : refs) {
            json item = {{"name", ToUtf8(r.name)}, {"path", ToUtf8(r.path)}};
            if (withWhy) {
                item["why"] = r.why;
            }
            list.push_back(std::move(item));
        }
        return list;
    };
    json leftOut;
    leftOut["referencesMissing"] = references(report.referencesMissing, false);
    leftOut["referencesFilteredAsLod"] = references(report.referencesFiltered, false);
    leftOut["referencesRefused"] = references(report.referencesRefused, true);
    leftOut["meshEntriesDropped"] = json::array();
    for (const auto& d : report.meshEntriesDropped) {
        leftOut["meshEntriesDropped"].push_back({{"file", ToUtf8(d.file)}, {"why", ToUtf8(d.why)}});
    }
    leftOut["trianglesDropped"] = json::array();
    for (const auto& d : report.trianglesDropped) {
        leftOut["trianglesDropped"].push_back({{"object", ToUtf8(d.object)}, {"count", d.count}, {"why", d.why}});
    }
    leftOut["texturesNotFound"] = json::array();
    for (const auto& t : report.texturesNotFound) {
        json objects = json::array();
        for (const std::string& o : t.objects) {
            objects.push_back(ToUtf8(o));
        }
        leftOut["texturesNotFound"].push_back({{"path", ToUtf8(t.path)}, {"objects", std::move(objects)}});
    }
    leftOut["objectsNotCreated"] = json::array();
    for (const std::string& o : report.objectsNotCreated) {
        leftOut["objectsNotCreated"].push_back(ToUtf8(o));
    }
    json filesRead = json::array();
    for (const std::string& f : report.filesRead) {
        filesRead.push_back(ToUtf8(f));
    }
    return {{"leftOut", std::move(leftOut)}, {"filesRead", std::move(filesRead)}};
}

}  // namespace zenthor
