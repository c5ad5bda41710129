#include "app/browse/responses.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <memory>
#include <system_error>

namespace zenthor {

namespace fs = std::filesystem;

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

void SendFile(httplib::Response& res, const fs::path& path) {
    SendFile(res, path, ContentType(path));
}

void SendFileIfAny(httplib::Response& res, const std::optional<fs::path>& path) {
    if (!path) {
        res.status = 404;
        return;
    }
    SendFile(res, *path);
}

void SendJson(httplib::Response& res, const nlohmann::json& body) {
    res.set_header("Cache-Control", "no-cache");
    res.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), "application/json");
}

void SendPng(httplib::Response& res, const std::vector<std::uint8_t>& png) {
    res.set_content(reinterpret_cast<const char*>(png.data()), png.size(), "image/png");
}

}  // namespace zenthor
