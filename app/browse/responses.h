// How the browse server answers: files streamed with their content type, JSON that is never
// cached stale, images held in memory, downloads under their own name, and the one range a
// request may ask of any of them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zenthor {

// The content type of a file the server sends, by its extension.
const char* ContentType(const std::filesystem::path& file);

// Streams the file, so a large model is not held in memory per request; 404 when it cannot
// be opened.
void SendFile(httplib::Response& res, const std::filesystem::path& path, const char* type);
void SendFile(httplib::Response& res, const std::filesystem::path& path);
// 404 for a request whose file the checks refused.
void SendFileIfAny(httplib::Response& res, const std::optional<std::filesystem::path>& path);

// Names and paths in the answer may be bytes that are not UTF-8: they are replaced.
void SendJson(httplib::Response& res, const nlohmann::json& body);

void SendPng(httplib::Response& res, const std::vector<std::uint8_t>& png);

// The Content-Disposition of a download saved as `fileName` (bytes, perhaps not UTF-8):
// `filename` in quotes with every byte that is not printable ASCII, or is '"', '\\', ';'
// or '%', made '_', for every client; and `filename*` with the name's bytes
// percent-encoded, which clients that know it prefer.
std::string AttachmentDisposition(std::string_view fileName);

// Narrows a whole answer (200 to a GET, its length known) to the part its Range header asks
// for as RangeOf takes it: 206 with that part and its Content-Range, or 416 with none and
// "Content-Range: bytes */SIZE". Anything else is left as it is.
void AnswerRange(const httplib::Request& req, httplib::Response& res);

}  // namespace zenthor
