#include "app/workers/job_line.h"

#include <nlohmann/json.hpp>

#include "app/support/text_encoding.h"

namespace zenthor {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

// JSON strings are UTF-8, paths are bytes: a path that is not UTF-8 travels as its bytes
// in hex.
nlohmann::json PathField(const std::filesystem::path& path) {
    const std::string& bytes = path.native();
    if (ToUtf8(bytes) == bytes) {
        return bytes;
    }
    std::string hex;
    for (const unsigned char byte : bytes) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 15];
    }
    return nlohmann::json{{"hex", hex}};
}

// Reads the path of a field as PathField writes it into `path`; false for anything else.
// An absent field is an empty path.
bool ReadPath(const nlohmann::json& job, const char* name, std::filesystem::path& path) {
    const auto field = job.find(name);
    if (field == job.end()) {
        path.clear();
        return true;
    }
    if (field->is_string()) {
        path = field->get<std::string>();
        return true;
    }
    const auto hex = field->is_object() ? field->find("hex") : field->end();
    if (hex == field->end() || !hex->is_string()) {
        return false;
    }
    const std::string& digits = hex->get_ref<const std::string&>();
    if (digits.size() % 2 != 0 || digits.find_first_not_of(kHexDigits) != std::string::npos) {
        return false;
    }
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes += static_cast<char>(kHexDigits.find(digits[i]) * 16 + kHexDigits.find(digits[i + 1]));
    }
    path = bytes;
    return true;
}

}  // namespace

std::string FormatWorkerJob(const ImportRequest& job) {
    const nlohmann::json line = {{"input", PathField(job.input)},
                                 {"output", PathField(job.output)},
                                 {"format", Extension(job.format) + 1},
                                 {"includeLods", job.includeLods},
                                 {"textures", job.textures == TextureMode::Png ? "png" : "keep"},
                                 {"thumbnail", PathField(job.thumbnail)},
                                 {"pngFolder", PathField(job.pngFolder)},
                                 {"claims", PathField(job.claims)}};
    return line.dump();
}

std::optional<ImportRequest> ParseWorkerJob(std::string_view line) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    ImportRequest job;
    try {
        if (!ReadPath(json, "input", job.input) || !ReadPath(json, "output", job.output) ||
            !ReadPath(json, "thumbnail", job.thumbnail) || !ReadPath(json, "pngFolder", job.pngFolder) ||
            !ReadPath(json, "claims", job.claims) || job.input.empty() || job.output.empty() ||
            job.pngFolder.empty() != job.claims.empty()) {
            return std::nullopt;
        }
        job.includeLods = json.at("includeLods").get<bool>();
        const std::string textures = json.value("textures", std::string("keep"));
        if (textures != "keep" && textures != "png") {
            return std::nullopt;
        }
        job.textures = textures == "png" ? TextureMode::Png : TextureMode::Keep;
        const std::optional<OutputFormat> format = ParseOutputFormat(json.at("format").get<std::string>());
        if (!format) {
            return std::nullopt;
        }
        job.format = *format;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    return job;
}

}  // namespace zenthor
