#include "app/worker_job.h"

#include <nlohmann/json.hpp>

#include "app/dialog_answers.h"
#include "app/plugin_registry.h"
#include "app/single_import.h"

namespace zenthor {

std::string FormatWorkerJob(const WorkerJob& job) {
    const nlohmann::json line = {{"input", job.input.string()},
                                 {"output", job.output.string()},
                                 {"format", Extension(job.format) + 1},
                                 {"includeLods", job.includeLods},
                                 {"textures", job.textures == TextureMode::Png ? "png" : "keep"},
                                 {"thumbnail", job.thumbnail.string()},
                                 {"pngFolder", job.pngFolder.string()},
                                 {"claims", job.claims.string()}};
    // Paths are bytes; invalid UTF-8 is carried as it is rather than refused.
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::ignore);
}

std::optional<WorkerJob> ParseWorkerJob(std::string_view line) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    WorkerJob job;
    try {
        job.input = json.at("input").get<std::string>();
        job.output = json.at("output").get<std::string>();
        job.includeLods = json.at("includeLods").get<bool>();
        job.thumbnail = json.value("thumbnail", std::string());
        job.pngFolder = json.value("pngFolder", std::string());
        job.claims = json.value("claims", std::string());
        if (job.pngFolder.empty() != job.claims.empty()) {
            return std::nullopt;
        }
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

WorkerReport RunWorkerJob(const PluginRegistry& plugins, const WorkerJob& job, TextureStore* sharedTextures) {
    WorkerReport report;
    try {
        SceneImport* importer = plugins.FindImporter(job.input);
        if (importer == nullptr) {
            report.error = "no plug-in imports " + job.input.extension().string() + " files";
            return report;
        }
        FlagUiBackend backend(job.includeLods, nullptr);
        const ImportRequest request{job.input, job.output, job.format, job.textures, sharedTextures, job.thumbnail};
        const ImportOutcome outcome =
            ImportAndWrite(*importer, request, backend, [&backend] { return backend.Report(); });
        for (const platform::MessageBoxView& box : backend.MessageBoxes()) {
            report.boxes.push_back({box.title, box.text});
        }
        report.objectList = outcome.objectList;
        report.warnings = outcome.warnings;
        report.log = outcome.log;
        report.ok = outcome.result == ImportOutcome::Result::Written;
        report.objects = static_cast<std::uint64_t>(outcome.objects);
        report.triangles = outcome.triangles;
        report.error = outcome.error;
    } catch (const std::exception& e) {
        report.error = e.what();
    }
    return report;
}

TextureStore* WorkerTextureStores::For(const WorkerJob& job) {
    if (job.textures != TextureMode::Png || job.pngFolder.empty()) {
        return nullptr;
    }
    auto key = std::make_pair(job.pngFolder, job.claims);
    auto found = m_stores.find(key);
    if (found == m_stores.end()) {
        found = m_stores.emplace(key, TextureStore::ForBatch(job.pngFolder, job.claims)).first;
    }
    return &found->second;
}

}  // namespace zenthor
