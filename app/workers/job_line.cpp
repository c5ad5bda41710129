#include "app/workers/job_line.h"

#include <nlohmann/json.hpp>

#include "app/support/bytes_json.h"

namespace zenthor {
namespace {

// Reads the path of a field as BytesJson writes it into `path`; false for anything else.
// An absent field is an empty path.
bool ReadPath(const nlohmann::json& job, const char* name, std::filesystem::path& path) {
    const auto field = job.find(name);
    if (field == job.end()) {
        path.clear();
        return true;
    }
    std::optional<std::string> bytes = BytesFromJson(*field);
    if (!bytes) {
        return false;
    }
    path = std::move(*bytes);
    return true;
}

}  // namespace

std::string FormatWorkerJob(const ImportRequest& job) {
    const nlohmann::json line = {{"input", BytesJson(job.input.native())},
                                 {"output", BytesJson(job.output.native())},
                                 {"format", Extension(job.format) + 1},
                                 {"includeLods", job.includeLods},
                                 {"textures", job.textures == TextureMode::Png ? "png" : "keep"},
                                 {"thumbnail", BytesJson(job.thumbnail.native())},
                                 {"pngFolder", BytesJson(job.pngFolder.native())},
                                 {"claims", BytesJson(job.claims.native())}};
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
