#include "app/browse_server.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <system_error>

#include "app/browse_library.h"
#include "app/browse_request.h"
#include "app/text_encoding.h"
#include "platform/path_lookup.h"
#include "texture/png_encoder.h"
#include "app/thumbnail.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Enough threads that a few slow or idle connections cannot keep others waiting; imports
// themselves are bounded by the workers, not by these.
constexpr std::size_t kServerThreads = 32;
constexpr time_t kTimeoutSeconds = 10;
constexpr std::size_t kMaxBody = 1024;

const char* ContentType(const fs::path& file) {
    const std::string ext = file.extension().string();
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".js" || ext == ".mjs") return "text/javascript; charset=utf-8";
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".json") return "application/json";
    if (ext == ".png") return "image/png";
    if (ext == ".svg") return "image/svg+xml";
    if (ext == ".glb") return "model/gltf-binary";
    if (ext == ".zip") return "application/zip";
    return "application/octet-stream";
}

// Streams a file, so a large model is not held in memory per request.
void SendFile(httplib::Response& res, const fs::path& path, const char* type) {
    auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!*file || error) {
        res.status = 404;
        return;
    }
    res.set_content_provider(static_cast<std::size_t>(size), type,
                             [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 char buffer[65536];
                                 file->seekg(static_cast<std::streamoff>(offset));
                                 file->read(buffer, static_cast<std::streamsize>(std::min(length, sizeof buffer)));
                                 const std::streamsize n = file->gcount();
                                 return n > 0 && sink.write(buffer, static_cast<std::size_t>(n));
                             });
}

void SendJson(httplib::Response& res, const json& body) {
    res.set_header("Cache-Control", "no-cache");
    res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

std::string Utf8(const std::string& text) {
    return ToUtf8(text);
}

// "imported", "imported-with-omissions" or "failed".
const char* Status(const ModelView& view) {
    return !view.imported ? "failed" : view.report.LeftOut() ? "imported-with-omissions" : "imported";
}

// A texture path as the page shows it: below the content folder when it is there.
std::string ShownTexture(const fs::path& root, const std::string& texture) {
    if (texture.empty()) return "";
    const fs::path path = fs::path(platform::ResolvePath(texture)).lexically_normal();
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != ".." ? relative.generic_string() : path.generic_string();
}

std::string Query(const std::string& relative, bool lods) {
    return "?path=" + httplib::detail::encode_query_param(relative) + "&lods=" + (lods ? "1" : "0");
}

json ModelJson(const fs::path& root, const ModelView& view) {
    std::ostringstream reportText;
    PrintImportReport(reportText, view.report, false, "");
    json objects = json::array();
    for (const ObjectSummary& object : view.objects) {
        const std::string texture = ShownTexture(root, object.texture);
        objects.push_back({{"name", Utf8(object.name)},
                           {"material", Utf8(object.material)},
                           {"triangles", object.triangles},
                           {"texture", texture.empty() ? json(nullptr) : json(Utf8(texture))}});
    }
    const std::string query = Query(view.path, view.lods);
    json body = {{"path", view.path},
                 {"lods", view.lods},
                 {"status", Status(view)},
                 {"objects", std::move(objects)},
                 {"triangles", view.triangles},
                 {"report", ImportReportJson(view.report)},
                 {"reportText", Utf8(reportText.str())},
                 {"thumbnail", "/api/thumbnail" + query},
                 {"view", "/api/view" + query},
                 {"downloads",
                  {{"glb", "/api/download" + query + "&format=glb"},
                   {"gltf", "/api/download" + query + "&format=gltf"},
                   {"obj", "/api/download" + query + "&format=obj"}}}};
    if (!view.imported) {
        body["error"] = Utf8(view.error);
    }
    body["summary"] = view.summary ? json{{"title", Utf8(view.summary->title)}, {"text", Utf8(view.summary->text)}}
                                   : json(nullptr);
    return body;
}

// Every .model below the root (extension in any case), as relative '/'-paths in order;
// symbolic links that lead out of the tree are left out.
json ListModels(const fs::path& root) {
    std::vector<std::pair<std::string, std::uintmax_t>> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext != ".model") continue;
        const std::string relative = it->path().lexically_relative(root).generic_string();
        if (!ResolveUnderRoot(root, relative)) continue;
        std::error_code sizeError;
        found.emplace_back(relative, fs::file_size(it->path(), sizeError));
    }
    std::sort(found.begin(), found.end());
    json models = json::array();
    for (const auto& [relative, size] : found) {
        models.push_back({{"path", Utf8(relative)}, {"name", Utf8(fs::path(relative).stem().string())}, {"size", size}});
    }
    return {{"root", Utf8(platform::DisplayPath(root.string()))}, {"models", std::move(models)}};
}

std::vector<std::uint8_t> PlaceholderPng() {
    RgbaImage image;
    image.width = image.height = kThumbnailSize;
    image.pixels.assign(std::size_t{kThumbnailSize} * kThumbnailSize * 4, 0);
    // A grey cross on transparency: the model has no picture.
    for (std::uint32_t i = 64; i < 192; ++i) {
        for (int w = -3; w <= 3; ++w) {
            for (std::uint32_t y : {i, kThumbnailSize - 1 - i}) {
                std::uint8_t* p = &image.pixels[(std::size_t{y} * kThumbnailSize + i + w) * 4];
                p[0] = p[1] = p[2] = 150;
                p[3] = 255;
            }
        }
    }
    return EncodePng(image);
}

}  // namespace

struct BrowseServer::Impl {
    BrowseSite site;
    ModelLibrary& library;
    httplib::Server server;
    std::vector<std::string> allowedHosts;
    std::vector<std::uint8_t> placeholder = PlaceholderPng();

    // The model a request names (?path=...), resolved below the content root.
    std::optional<fs::path> Model(const httplib::Request& req) const {
        if (req.get_param_value_count("path") != 1) return std::nullopt;
        const std::string relative = req.get_param_value("path");
        std::string ext = fs::path(relative).extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext != ".model" && ext != ".mesh") return std::nullopt;
        return ResolveUnderRoot(site.contentRoot, relative);
    }

    static bool Lods(const httplib::Request& req) { return req.get_param_value("lods") == "1"; }

    std::shared_ptr<const ModelView> View(const httplib::Request& req, fs::path& model) {
        const std::optional<fs::path> found = Model(req);
        if (!found) return nullptr;
        model = *found;
        return library.Get(model, req.get_param_value("path"), Lods(req));
    }

    void Routes() {
        server.Get("/", [this](const httplib::Request&, httplib::Response& res) {
            SendFile(res, site.webRoot / "index.html", "text/html; charset=utf-8");
        });
        server.Get(R"(/assets/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
            const auto file = ResolveUnderRoot(site.webRoot, req.matches[1].str());
            if (!file || file->string().find("/vendor/") != std::string::npos) return void(res.status = 404);
            SendFile(res, *file, ContentType(*file));
        });
        server.Get(R"(/vendor/three/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
            const auto file = ResolveUnderRoot(site.webRoot / "vendor" / "three", req.matches[1].str());
            if (!file) return void(res.status = 404);
            SendFile(res, *file, ContentType(*file));
        });
        server.Get("/api/models", [this](const httplib::Request&, httplib::Response& res) {
            SendJson(res, ListModels(site.contentRoot));
        });
        server.Get("/api/model", [this](const httplib::Request& req, httplib::Response& res) {
            fs::path model;
            const auto view = View(req, model);
            if (!view) return void(res.status = 404);
            SendJson(res, ModelJson(site.contentRoot, *view));
        });
        server.Get("/api/view", [this](const httplib::Request& req, httplib::Response& res) {
            fs::path model;
            const auto view = View(req, model);
            if (!view || !view->imported) return void(res.status = 404);
            SendFile(res, view->folder / "view.glb", "model/gltf-binary");
        });
        server.Get("/api/thumbnail", [this](const httplib::Request& req, httplib::Response& res) {
            fs::path model;
            const auto view = View(req, model);
            if (!view) return void(res.status = 404);
            std::error_code error;
            if (view->imported && fs::exists(view->folder / "thumbnail.png", error)) {
                SendFile(res, view->folder / "thumbnail.png", "image/png");
            } else {
                res.set_content(reinterpret_cast<const char*>(placeholder.data()), placeholder.size(), "image/png");
            }
        });
        server.Get("/api/download", [this](const httplib::Request& req, httplib::Response& res) {
            fs::path model;
            const auto view = View(req, model);
            const std::optional<OutputFormat> format = ParseOutputFormat(req.get_param_value("format"));
            if (!view || !view->imported || !format) return void(res.status = 404);
            std::string error;
            const std::optional<fs::path> file = library.Download(*view, model, *format, error);
            if (!file) {
                res.status = 500;
                return;
            }
            const std::string name = model.stem().string() + Extension(*format) + (*format == OutputFormat::Glb ? "" : ".zip");
            res.set_header("Content-Disposition", "attachment; filename=\"" + OneLine(name) + "\"");
            SendFile(res, *file, ContentType(*file));
        });
    }

    void Limits() {
        server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
        server.set_read_timeout(kTimeoutSeconds, 0);
        server.set_write_timeout(kTimeoutSeconds, 0);
        server.set_keep_alive_timeout(kTimeoutSeconds);
        server.set_payload_max_length(kMaxBody);
        // Headers and body go out in separate writes; without this each answer waits for
        // the client's delayed acknowledgement.
        server.set_tcp_nodelay(true);
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (!HostAllowed(req.get_header_value("Host"), allowedHosts)) {
                res.status = 403;
                return httplib::Server::HandlerResponse::Handled;
            }
            if (req.method != "GET" && req.method != "HEAD") {
                res.status = 405;
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        // No detail for anything refused or failed: an empty body.
        server.set_error_handler([](const httplib::Request&, httplib::Response& res) { res.body.clear(); });
        server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            res.status = 500;
            res.body.clear();
        });
        server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
    }
};

BrowseServer::BrowseServer(BrowseSite site, ModelLibrary& library)
    : m_impl(new Impl{std::move(site), library, {}, {}}) {
    m_impl->Limits();
    m_impl->Routes();
}

BrowseServer::~BrowseServer() = default;

int BrowseServer::Bind(const std::string& address, int port) {
    const int bound = port == 0 ? m_impl->server.bind_to_any_port(address) : (m_impl->server.bind_to_port(address, port) ? port : -1);
    if (bound > 0) {
        m_impl->allowedHosts = HostNamesFor(address, bound);
    }
    return bound;
}

void BrowseServer::Serve() {
    m_impl->server.listen_after_bind();
}

void BrowseServer::Stop() {
    m_impl->server.stop();
}

}  // namespace zenthor
