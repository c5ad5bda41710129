#include "app/browse/responses.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <memory>
#include <system_error>

#include "app/browse/browse_request.h"

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
                                 file->read(buffer,
                                            static_cast<std::streamsize>(std::min(length, sizeof buffer)));
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
    // With the charset named, the library leaves JSON uncompressed. On loopback compression
    // gains nothing, and its Brotli, at the highest quality, took a second over a 1 MB
    // listing and milliseconds over every small answer a browser asked for.
    res.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                    "application/json; charset=utf-8");
}

void SendPng(httplib::Response& res, const std::vector<std::uint8_t>& png) {
    res.set_content(reinterpret_cast<const char*>(png.data()), png.size(), "image/png");
}

std::string AttachmentDisposition(std::string_view fileName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string plain;
    std::string encoded;
    for (const char c : fileName) {
        const auto b = static_cast<std::uint8_t>(c);
        const bool printable = b >= 0x20 && b < 0x7F;
        plain.push_back(printable && c != '"' && c != '\\' && c != ';' && c != '%' ? c : '_');
        // attr-char: letters, digits and !#$&+-.^_`|~; every other byte percent-encoded.
        const bool attrChar = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                              std::string_view("!#$&+-.^_`|~").find(c) != std::string_view::npos;
        if (attrChar) {
            encoded.push_back(c);
        } else {
            encoded += {'%', kHex[b >> 4], kHex[b & 0xF]};
        }
    }
    return "attachment; filename=\"" + plain + "\"; filename*=UTF-8''" + encoded;
}

void AnswerRange(const httplib::Request& req, httplib::Response& res) {
    const bool streamed = res.body.empty() && res.content_provider_;
    if (req.method != "GET" || res.status != 200 || !req.has_header("Range") ||
        (streamed && (res.is_chunked_content_provider_ || res.content_length_ == 0))) {
        return;
    }
    std::vector<std::string> values;
    for (std::size_t i = 0; i < req.get_header_value_count("Range"); ++i) {
        values.push_back(req.get_header_value("Range", i));
    }
    const std::uint64_t size = streamed ? res.content_length_ : res.body.size();
    const ByteRange range = RangeOf(values, req.has_header("If-Range"), size);
    if (range.kind == ByteRange::Kind::Whole) {
        return;
    }
    res.headers.erase("Content-Length");
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        res.status = 416;
        res.body.clear();
        res.content_provider_ = nullptr;
        res.content_length_ = 0;
        res.headers.erase("Content-Type");
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        res.set_header("Content-Length", "0");
        return;
    }
    res.status = 206;
    res.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                        std::to_string(range.first + range.length - 1) + "/" +
                                        std::to_string(size));
    res.set_header("Content-Length", std::to_string(range.length));
    if (streamed) {
        res.content_length_ = static_cast<std::size_t>(range.length);
        res.content_provider_ = [whole = std::move(res.content_provider_), first = range.first](
                                    std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return whole(static_cast<std::size_t>(first) + offset, length, sink);
        };
    } else {
        res.body =
            res.body.substr(static_cast<std::size_t>(range.first), static_cast<std::size_t>(range.length));
    }
}

}  // namespace zenthor
