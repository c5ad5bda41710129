// One named handler per route of the browse server. A request reaches them only after the
// method and Host checks; each handler resolves what the request names through the checks
// of browse_request.h, and answers a bare 404 when they refuse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zenthor {

class ImportCache;
struct CachedImport;

struct BrowseSite {
    std::filesystem::path contentRoot;  // resolved
    std::filesystem::path webRoot;      // the page's files, with vendor/three/ below it
    unsigned jobs = 1;                  // imports that run at once
};

class RouteHandlers {
public:
    RouteHandlers(BrowseSite site, ImportCache& cache);

    void HandlePage(const httplib::Request& req, httplib::Response& res) const;       // /
    void HandleAsset(const httplib::Request& req, httplib::Response& res) const;      // /assets/FILE
    void HandleVendor(const httplib::Request& req, httplib::Response& res) const;     // /vendor/three/FILE
    void HandleModels(const httplib::Request& req, httplib::Response& res) const;     // /api/models
    void HandleModel(const httplib::Request& req, httplib::Response& res) const;      // /api/model?path=&lods=
    void HandleView(const httplib::Request& req, httplib::Response& res) const;       // /api/view?path=&lods=
    void HandleThumbnail(const httplib::Request& req, httplib::Response& res) const;  // /api/thumbnail?path=&lods=
    void HandleThumbnails(const httplib::Request& req, httplib::Response& res) const;  // /api/thumbnails?path=&v=...
    void HandleDownload(const httplib::Request& req, httplib::Response& res) const;   // /api/download?...&format=
    void HandleTexture(const httplib::Request& req, httplib::Response& res) const;    // /api/texture?path=

private:
    // The most pictures one /api/thumbnails request names.
    static constexpr std::size_t kMaxPicturesAtOnce = 64;

    // The import's picture as PNG bytes: its thumbnail, or the picture of none.
    std::vector<std::uint8_t> PictureOf(const CachedImport& cached) const;
    // The import of the model the request names; null when it names none.
    std::shared_ptr<const CachedImport> Import(const httplib::Request& req) const;

    BrowseSite m_site;
    ImportCache& m_cache;
    std::vector<std::uint8_t> m_noPicture;  // PNG
};

}  // namespace zenthor
