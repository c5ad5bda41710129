#include "app/browse/page_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/browse/browse_request.h"
#include "app/browse/import_cache.h"
#include "app/support/model_files.h"
#include "app/support/text_encoding.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// "imported", "imported-with-omissions" or "failed".
const char* Status(const CachedImport& cached) {
    return !cached.imported ? "failed" : cached.report.LeftOut() ? "imported-with-omissions" : "imported";
}

// A texture path as the page shows it: below the content folder when it is there.
std::string ShownTexture(const fs::path& root, const std::string& texture) {
    if (texture.empty()) return "";
    const fs::path path = fs::path(platform::ResolvePath(texture)).lexically_normal();
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != ".." ? relative.generic_string() : path.generic_string();
}

// Where the page gets a texture below the content folder as a picture.
std::string TextureUrl(const std::string& relative) {
    return "/api/texture?path=" + PathToUri(relative);
}

std::string Query(const std::string& relative, bool lods) {
    return "?path=" + PathToUri(relative) + "&lods=" + (lods ? "1" : "0");
}

// A result's address for a file of its own: with its version, which a browser may keep
// for good (responses.h).
std::string VersionedUrl(const char* route, const CachedImport& cached) {
    return std::string(route) + Query(cached.path, cached.lods) + (cached.version.empty() ? "" : "&v=" + cached.version);
}

// Text about files to show: paths below the content folder said relative to it, since the
// page names the folder once.
std::string ShownText(const fs::path& root, std::string text) {
    const std::string prefix = root.generic_string() + "/";
    for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at)) {
        text.erase(at, prefix.size());
    }
    return ToUtf8Escaped(text);
}

// The report lines, then the line of level-of-detail files left out, which names the
// page's Include lods box.
std::string ReportText(const CachedImport& cached) {
    std::ostringstream text;
    PrintImportReport(text, cached.report, false, "");
    if (const std::string lods = LevelOfDetailLine(cached.report, false, "tick Include lods to load them");
        !lods.empty()) {
        text << lods << "\n";
    }
    return text.str();
}

// One line saying why a model is not wholly there: why it failed, or the first thing left
// out; empty for a whole import.
std::string Reason(const CachedImport& cached, const std::string& reportText) {
    if (!cached.imported) {
        return cached.error.empty() ? "The import failed." : cached.error;
    }
    const std::size_t start = reportText.find_first_not_of(" \n");
    return start == std::string::npos ? "" : reportText.substr(start, reportText.find('\n', start) - start);
}

// What the grid shows of an import, in the listing and in each model's answer alike.
json TileFields(const fs::path& root, const CachedImport& cached, const std::string& reportText) {
    return {{"status", Status(cached)},
            {"objectCount", cached.objects.size()},
            {"triangles", cached.triangles},
            {"reason", ShownText(root, Reason(cached, reportText))},
            {"thumbnail", VersionedUrl("/api/thumbnail", cached)}};
}

}  // namespace

json ModelListJson(const fs::path& root, const KeptImport& kept) {
    struct Found {
        std::string relative;
        fs::path file;  // resolved
        std::uintmax_t size;
        bool operator<(const Found& other) const { return relative < other.relative; }
    };
    std::vector<Found> found;
    std::error_code error;
    for (const fs::path& file : ModelFilesBelow(root, error)) {
        std::string relative = file.lexically_relative(root).generic_string();
        std::optional<fs::path> resolved = ResolveUnderRoot(root, relative);
        if (!resolved) continue;
        std::error_code sizeError;
        found.push_back({std::move(relative), std::move(*resolved), fs::file_size(file, sizeError)});
    }
    std::sort(found.begin(), found.end());
    json models = json::array();
    for (const Found& model : found) {
        json item = {{"path", ToUtf8Escaped(model.relative)},
                     {"pathParam", PathToUri(model.relative)},
                     {"name", ToUtf8Escaped(fs::path(model.relative).stem().string())},
                     {"size", model.size}};
        if (const auto cached = kept(model.file)) {
            item["kept"] = TileFields(root, *cached, ReportText(*cached));
        }
        models.push_back(std::move(item));
    }
    return {{"root", ToUtf8Escaped(platform::DisplayPath(root.string()))}, {"models", std::move(models)}};
}

json ImportJson(const fs::path& root, const CachedImport& cached) {
    const std::string reportText = ReportText(cached);
    json objects = json::array();
    for (const ObjectSummary& object : cached.objects) {
        const std::string texture = ShownTexture(root, object.texture);
        const bool served = !texture.empty() && ResolveTexture(root, {texture});
        objects.push_back({{"name", ToUtf8Escaped(object.name)},
                           {"material", ToUtf8Escaped(object.material)},
                           {"triangles", object.triangles},
                           {"texture", texture.empty() ? json(nullptr) : json(ToUtf8Escaped(texture))},
                           {"textureUrl", served ? json(TextureUrl(texture)) : json(nullptr)}});
    }
    const std::string query = Query(cached.path, cached.lods);
    json body = TileFields(root, cached, reportText);
    body.update({{"path", ToUtf8Escaped(cached.path)},
                 {"pathParam", PathToUri(cached.path)},
                 {"lods", cached.lods},
                 {"objects", std::move(objects)},
                 {"report", ImportReportJson(cached.report, [&](std::string_view text) { return ShownText(root, std::string(text)); })},
                 {"reportText", ShownText(root, reportText)},
                 {"view", VersionedUrl("/api/view", cached)},
                 {"downloads",
                  {{"glb", "/api/download" + query + "&format=glb"},
                   {"gltf", "/api/download" + query + "&format=gltf"},
                   {"obj", "/api/download" + query + "&format=obj"}}}});
    if (!cached.imported) {
        body["error"] = ShownText(root, cached.error);
    }
    body["summary"] = cached.summary
                          ? json{{"title", ToUtf8Escaped(cached.summary->title)},
                                 {"text", ToUtf8Escaped(cached.summary->text)}}
                          : json(nullptr);
    return body;
}

}  // namespace zenthor
