// How the browse server answers: files streamed with their content type, JSON that is never
// cached stale, and images held in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace httplib {
struct Response;
}

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

}  // namespace zenthor
