#include "app/browse/route_handlers.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <string>
#include <system_error>

#include "app/browse/browse_request.h"
#include "app/browse/import_cache.h"
#include "app/browse/page_json.h"
#include "app/browse/responses.h"
#include "app/output/thumbnail.h"
#include "app/support/whole_file.h"
#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ParamValues(const httplib::Request& req, const char* name) {
    std::vector<std::string> values;
    const auto [first, last] = req.params.equal_range(name);
    for (auto it = first; it != last; ++it) {
        values.push_back(it->second);
    }
    return values;
}

// A result's file asked for by its versioned address (page_json.h) never changes there: a
// browser may keep it for good. Anything else is asked again each time.
void SetCaching(const httplib::Request& req, httplib::Response& res, const CachedImport& cached) {
    const std::string version = req.get_param_value("v");
    res.set_header("Cache-Control",
                   !version.empty() && version == cached.version ? "max-age=31536000, immutable" : "no-cache");
}

}  // namespace

RouteHandlers::RouteHandlers(BrowseSite site, ImportCache& cache)
    : m_site(std::move(site)), m_cache(cache), m_noPicture(EncodePng(NoPictureThumbnail())) {}

std::shared_ptr<const CachedImport> RouteHandlers::Import(const httplib::Request& req) const {
    const std::optional<fs::path> model = ResolveModel(m_site.contentRoot, ParamValues(req, "path"));
    if (!model) return nullptr;
    return m_cache.Get(*model, req.get_param_value("lods") == "1");
}

void RouteHandlers::HandlePage(const httplib::Request&, httplib::Response& res) const {
    SendFile(res, m_site.webRoot / "index.html");
}

void RouteHandlers::HandleAsset(const httplib::Request& req, httplib::Response& res) const {
    SendFileIfAny(res, ResolveAsset(m_site.webRoot, req.matches[1].str()));
}

void RouteHandlers::HandleVendor(const httplib::Request& req, httplib::Response& res) const {
    SendFileIfAny(res, ResolveVendorFile(m_site.webRoot, req.matches[1].str()));
}

void RouteHandlers::HandleModels(const httplib::Request&, httplib::Response& res) const {
    nlohmann::json listing =
        ModelListJson(m_site.contentRoot, [this](const fs::path& model) { return m_cache.Peek(model, false); });
    listing["jobs"] = m_site.jobs;
    SendJson(res, listing);
}

void RouteHandlers::HandleModel(const httplib::Request& req, httplib::Response& res) const {
    const auto cached = Import(req);
    if (!cached) return void(res.status = 404);
    SendJson(res, ImportJson(m_site.contentRoot, *cached));
}

void RouteHandlers::HandleView(const httplib::Request& req, httplib::Response& res) const {
    const auto cached = Import(req);
    if (!cached || !cached->imported) return void(res.status = 404);
    SetCaching(req, res, *cached);
    SendFile(res, cached->folder / "view.glb");
}

std::vector<std::uint8_t> RouteHandlers::PictureOf(const CachedImport& cached) const {
    std::vector<std::uint8_t> png;
    return cached.imported && ReadWholeFile(cached.folder / "thumbnail.png", png) ? png : m_noPicture;
}

void RouteHandlers::HandleThumbnail(const httplib::Request& req, httplib::Response& res) const {
    const auto cached = Import(req);
    if (!cached) return void(res.status = 404);
    SetCaching(req, res, *cached);
    SendPng(res, PictureOf(*cached));
}

void RouteHandlers::HandleThumbnails(const httplib::Request& req, httplib::Response& res) const {
    const std::vector<std::string> paths = ParamValues(req, "path");
    const std::vector<std::string> versions = ParamValues(req, "v");
    if (paths.empty() || paths.size() > kMaxPicturesAtOnce || versions.size() != paths.size()) {
        return void(res.status = 404);
    }
    std::string body;
    bool current = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::optional<fs::path> model = ResolveModel(m_site.contentRoot, {paths[i]});
        const auto cached = model ? m_cache.Peek(*model, false) : nullptr;
        std::vector<std::uint8_t> png;
        if (cached && cached->version == versions[i]) {
            png = PictureOf(*cached);
        } else {
            current = false;  // no picture: gone, changed, or not imported yet
        }
        const auto size = static_cast<std::uint32_t>(png.size());
        for (const int shift : {24, 16, 8, 0}) {
            body.push_back(static_cast<char>((size >> shift) & 0xFF));
        }
        body.append(png.begin(), png.end());
    }
    res.set_header("Cache-Control", current ? "max-age=31536000, immutable" : "no-cache");
    res.set_content(std::move(body), "application/octet-stream");
}

void RouteHandlers::HandleDownload(const httplib::Request& req, httplib::Response& res) const {
    const auto cached = Import(req);
    const std::optional<OutputFormat> format = ParseOutputFormat(req.get_param_value("format"));
    if (!cached || !cached->imported || !format) return void(res.status = 404);
    std::string error;
    const std::optional<fs::path> file = m_cache.Download(*cached, *format, error);
    if (!file) return void(res.status = 500);
    const std::string name =
        cached->model.stem().string() + Extension(*format) + (*format == OutputFormat::Glb ? "" : ".zip");
    res.set_header("Content-Disposition", AttachmentDisposition(name));
    SendFile(res, *file);
}

void RouteHandlers::HandleTexture(const httplib::Request& req, httplib::Response& res) const {
    const std::optional<fs::path> texture = ResolveTexture(m_site.contentRoot, ParamValues(req, "path"));
    std::vector<std::uint8_t> bytes;
    if (!texture || !ReadWholeFile(*texture, bytes)) return void(res.status = 404);
    const DdsDecodeResult decoded = DecodeDds(bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    const std::vector<std::uint8_t> png =
        decoded.status == DdsStatus::Decoded ? EncodePng(decoded.image) : std::vector<std::uint8_t>();
    // A file that is there but is no picture this server can decode.
    if (png.empty()) return void(res.status = 415);
    SendPng(res, png);
}

}  // namespace zenthor
