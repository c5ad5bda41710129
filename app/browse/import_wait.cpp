#include "app/browse/import_wait.h"

#include <httplib.h>

#include <vector>

#include "app/browse/browse_request.h"
#include "app/browse/import_cache.h"
#include "app/output/output_format.h"

namespace zenthor {

bool WaitsForImport(const std::string& target, const std::filesystem::path& contentRoot, ImportCache& cache) {
    // Taken apart as the library takes it for the routes.
    const std::size_t query = target.find('?');
    const std::string path = httplib::detail::decode_url(target.substr(0, query), false);
    const bool download = path == "/api/download";
    if (path != "/api/model" && path != "/api/view" && path != "/api/thumbnail" && !download) {
        return false;
    }
    httplib::Params params;
    if (query != std::string::npos) {
        httplib::detail::parse_query_text(target.substr(query + 1), params);
    }
    std::vector<std::string> named;
    for (auto [it, end] = params.equal_range("path"); it != end; ++it) named.push_back(it->second);
    const std::optional<std::filesystem::path> model = ResolveModel(contentRoot, named);
    if (!model) {
        return false;  // refused at once
    }
    if (const auto format = params.find("format"); download && format != params.end()) {
        const std::optional<OutputFormat> written = ParseOutputFormat(format->second);
        if (written && *written != OutputFormat::Glb) return true;
    }
    const auto lods = params.find("lods");
    return !cache.Ready(*model, lods != params.end() && lods->second == "1");
}

}  // namespace zenthor
