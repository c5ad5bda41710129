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

}  // namespace

json ModelListJson(const fs::path& root) {
    std::vector<std::pair<std::string, std::uintmax_t>> found;
    std::error_code error;
    for (const fs::path& file : ModelFilesBelow(root, error)) {
        const std::string relative = file.lexically_relative(root).generic_string();
        if (!ResolveUnderRoot(root, relative)) continue;
        std::error_code sizeError;
        found.emplace_back(relative, fs::file_size(file, sizeError));
    }
    std::sort(found.begin(), found.end());
    json models = json::array();
    for (const auto& [relative, size] : found) {
        models.push_back({{"path", ToUtf8Escaped(relative)},
                          {"pathParam", PathToUri(relative)},
                          {"name", ToUtf8Escaped(fs::path(relative).stem().string())},
                          {"size", size}});
    }
    return {{"root", ToUtf8Escaped(platform::DisplayPath(root.string()))}, {"models", std::move(models)}};
}

json ImportJson(const fs::path& root, const CachedImport& cached) {
    std::ostringstream reportText;
    PrintImportReport(reportText, cached.report, false, "");
    if (const std::string lods = LevelOfDetailLine(cached.report, false, "tick Include lods to load them");
        !lods.empty()) {
        reportText << lods << "\n";
    }
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
    json body = {{"path", ToUtf8Escaped(cached.path)},
                 {"pathParam", PathToUri(cached.path)},
                 {"lods", cached.lods},
                 {"status", Status(cached)},
                 {"objects", std::move(objects)},
                 {"triangles", cached.triangles},
                 {"report", ImportReportJson(cached.report, ToUtf8Escaped)},
                 {"reportText", ToUtf8Escaped(reportText.str())},
                 {"thumbnail", "/api/thumbnail" + query},
                 {"view", "/api/view" + query},
                 {"downloads",
                  {{"glb", "/api/download" + query + "&format=glb"},
                   {"gltf", "/api/download" + query + "&format=gltf"},
                   {"obj", "/api/download" + query + "&format=obj"}}}};
    if (!cached.imported) {
        body["error"] = ToUtf8Escaped(cached.error);
    }
    body["summary"] = cached.summary
                          ? json{{"title", ToUtf8Escaped(cached.summary->title)},
                                 {"text", ToUtf8Escaped(cached.summary->text)}}
                          : json(nullptr);
    return body;
}

}  // namespace zenthor
