#include "app/browse/cache_record.h"

#include <nlohmann/json.hpp>

#include "app/support/bytes_json.h"

namespace zenthor {
namespace {

using nlohmann::json;

// The form of a record and of what its folder holds (a .glb with PNG textures, its
// thumbnail); a folder kept in another form is imported again.
constexpr int kRecordVersion = 2;

// A file directly in the record's folder.
bool PlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string_view("/\0", 2)) == name.npos;
}

std::optional<std::string> BytesField(const json& record, const char* name) {
    const auto field = record.find(name);
    return field == record.end() ? std::nullopt : BytesFromJson(*field);
}

bool ReadDependencies(const json& list, std::vector<Dependency>& dependencies) {
    if (!list.is_array()) {
        return false;
    }
    for (const json& item : list) {
        if (!item.is_array() || item.size() != 3 || !item[1].is_number_integer() || !item[2].is_number_integer()) {
            return false;
        }
        std::optional<std::string> path = BytesFromJson(item[0]);
        if (!path || path->empty()) {
            return false;
        }
        dependencies.push_back({std::move(*path), item[1].get<std::int64_t>(), item[2].get<std::int64_t>()});
    }
    return true;
}

bool ReadFiles(const json& object, std::vector<std::pair<std::string, std::uint64_t>>& files) {
    if (!object.is_object()) {
        return false;
    }
    for (const auto& [name, size] : object.items()) {
        if (!PlainFileName(name) || !size.is_number_unsigned()) {
            return false;
        }
        files.emplace_back(name, size.get<std::uint64_t>());
    }
    return true;
}

}  // namespace

std::string FormatCacheRecord(const CacheRecord& record) {
    json dependencies = json::array();
    for (const Dependency& d : record.dependencies) {
        dependencies.push_back({BytesJson(d.path.native()), d.modified, d.size});
    }
    json files = json::object();
    for (const auto& [name, size] : record.files) {
        files[name] = size;
    }
    const json text = {{"version", kRecordVersion},
                       {"model", BytesJson(record.model.native())},
                       {"lods", record.lods},
                       {"failure", BytesJson(record.failure)},
                       {"report", BytesJson(record.report)},
                       {"dependencies", std::move(dependencies)},
                       {"files", std::move(files)}};
    // File names are the cache's own; anything else went through BytesJson, so nothing
    // here is replaced.
    return text.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<CacheRecord> ParseCacheRecord(std::string_view text) {
    const json record = json::parse(text, nullptr, false);
    if (!record.is_object()) {
        return std::nullopt;
    }
    const auto version = record.find("version");
    const auto lods = record.find("lods");
    if (version == record.end() || *version != kRecordVersion || lods == record.end() || !lods->is_boolean()) {
        return std::nullopt;
    }
    CacheRecord parsed;
    parsed.lods = lods->get<bool>();
    std::optional<std::string> model = BytesField(record, "model");
    std::optional<std::string> failure = BytesField(record, "failure");
    std::optional<std::string> report = BytesField(record, "report");
    const auto dependencies = record.find("dependencies");
    const auto files = record.find("files");
    if (!model || model->empty() || !failure || !report || dependencies == record.end() || files == record.end() ||
        !ReadDependencies(*dependencies, parsed.dependencies) || !ReadFiles(*files, parsed.files)) {
        return std::nullopt;
    }
    parsed.model = std::move(*model);
    parsed.failure = std::move(*failure);
    parsed.report = std::move(*report);
    return parsed;
}

}  // namespace zenthor
