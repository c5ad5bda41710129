#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/commands.h"
#include "app/reports/load_failure.h"
#include "app/support/exit_codes.h"
#include "model/load_observer.h"
#include "model/texture_path.h"
#include "model/zenthor_model.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

struct InfoOptions {
    std::string file;
    bool includeLods = false;
    bool json = false;
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The loader composes paths with `\`; a person reads them as this system writes paths.
std::string Shown(const std::string& path) {
    return platform::DisplayPath(path);
}

// The texture of each mesh as the import resolves it: the file it names, whether that
// file exists, and every size candidate with whether it exists; paths as shown.
struct TextureReport {
    std::string resolved;
    bool exists = false;
    std::vector<TextureCandidate> candidates;
};

TextureReport ReportTexture(const CZenthorModel& model, const ModelMesh& mesh) {
    TextureReport report;
    const std::string resolved = ResolveTexturePath(model.contentRoot, mesh.textureName);
    report.exists = platform::FileExists(resolved);
    report.resolved = Shown(resolved);
    report.candidates = TextureCandidates(model.contentRoot, mesh.textureName);
    for (TextureCandidate& candidate : report.candidates) {
        candidate.path = Shown(candidate.path);
    }
    return report;
}

// ".2048.dds" from a candidate path (the whole path when there is no content root).
std::string Ending(const std::string& path, const std::string& textureName) {
    const std::size_t at = path.rfind(textureName);
    return at == std::string::npos || textureName.empty() ? path : path.substr(at + textureName.size());
}

void PrintText(const InfoOptions& options, const CZenthorModel& model, const LoadLog& log) {
    std::cout << "file: " << options.file << "\n";
    std::error_code error;
    std::cout << "content root: "
              << (model.contentRoot.empty()
                      ? "(none: no folder named content above the file, so references and textures are looked for "
                        "below " +
                            std::filesystem::current_path(error).string() + ")"
                      : Shown(model.contentRoot))
              << "\n";
    std::cout << "include lods: " << (options.includeLods ? "yes" : "no") << "\n";

    std::cout << "meshes: " << model.GetMeshCount() << "\n";
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh& mesh = *model.GetMesh(i);
        std::cout << "  #" << i << "  " << (mesh.skinned ? "skinned" : "static ") << "  vertices "
                  << mesh.vertexCount << "  indices " << mesh.indexCount << "  texture "
                  << Quoted(mesh.textureName) << "  material " << Quoted(mesh.materialName) << "  extra "
                  << Quoted(mesh.extraName) << "\n";
    }

    std::cout << "textures:\n";
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh& mesh = *model.GetMesh(i);
        const TextureReport texture = ReportTexture(model, mesh);
        std::cout << "  #" << i << "  " << Quoted(mesh.textureName) << " -> " << texture.resolved << "  ["
                  << (texture.exists ? "found" : "missing") << "]\n";
        std::cout << "       tried:";
        for (const TextureCandidate& candidate : texture.candidates) {
            std::cout << " " << Ending(candidate.path, Shown(mesh.textureName)) << " "
                      << (candidate.exists ? "(exists)" : "(missing)");
        }
        std::cout << "\n";
    }

    std::cout << "references: " << log.references.size() << "\n";
    for (const ReferenceRecord& ref : log.references) {
        const ReferenceVerdict verdict = JudgeReference(log, ref);
        std::cout << "  " << std::string(static_cast<std::size_t>(ref.depth - 1) * 2, ' ') << Quoted(ref.name)
                  << " -> " << Shown(ref.path) << "  [" << verdict.outcome
                  << (verdict.why.empty() ? "" : ": " + verdict.why) << "]\n";
    }

    std::cout << "texture aliases: " << model.textureAliases.size() << "\n";
    for (const auto& [key, value] : model.textureAliases) {
        std::cout << "  " << Quoted(key) << " = " << Quoted(value) << "\n";
    }

    std::cout << "diagnostics: " << log.diagnostics.size() << "\n";
    for (const Diagnostic& d : log.diagnostics) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "0x%llx", static_cast<unsigned long long>(d.offset));
        std::cout << "  " << ToString(d.reason) << "  " << Shown(d.file) << " @ " << offset << ": "
                  << d.detail << "\n";
    }
}

nlohmann::json ToJson(const InfoOptions& options, const std::string& fullPath, const CZenthorModel& model,
                      const LoadLog& log, bool loaded) {
    using nlohmann::json;
    json out;
    out["file"] = options.file;
    out["loaded"] = loaded;
    if (!loaded) {
        out["error"] = ExplainLoadFailure(fullPath, log);
    }
    out["contentRoot"] = Shown(model.contentRoot);
    out["includeLods"] = options.includeLods;
    out["meshes"] = json::array();
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh& mesh = *model.GetMesh(i);
        const TextureReport texture = ReportTexture(model, mesh);
        json candidates = json::array();
        for (const TextureCandidate& candidate : texture.candidates) {
            candidates.push_back({{"path", candidate.path}, {"exists", candidate.exists}});
        }
        out["meshes"].push_back({{"index", i},
                                 {"kind", mesh.skinned ? "skinned" : "static"},
                                 {"vertexCount", mesh.vertexCount},
                                 {"indexCount", mesh.indexCount},
                                 {"textureName", mesh.textureName},
                                 {"materialName", mesh.materialName},
                                 {"extraName", mesh.extraName},
                                 {"texture",
                                  {{"resolved", texture.resolved},
                                   {"exists", texture.exists},
                                   {"candidates", std::move(candidates)}}}});
    }
    out["references"] = json::array();
    for (const ReferenceRecord& ref : log.references) {
        const ReferenceVerdict verdict = JudgeReference(log, ref);
        json item = {{"name", ref.name},
                     {"path", Shown(ref.path)},
                     {"referencingFile", Shown(ref.referencingFile)},
                     {"depth", ref.depth},
                     {"outcome", verdict.outcome}};
        if (!verdict.why.empty()) {
            item["why"] = verdict.why;
        }
        out["references"].push_back(std::move(item));
    }
    out["textureAliases"] = json::object();
    for (const auto& [key, value] : model.textureAliases) {
        out["textureAliases"][key] = value;
    }
    out["diagnostics"] = json::array();
    for (const Diagnostic& d : log.diagnostics) {
        out["diagnostics"].push_back({{"reason", ToString(d.reason)},
                                      {"file", Shown(d.file)},
                                      {"offset", d.offset},
                                      {"detail", d.detail}});
    }
    return out;
}

int RunInfo(const InfoOptions& options) {
    CZenthorModel model;
    LoadLog log;
    // Loaded from its full path, as an import loads it.
    std::error_code error;
    const std::string fullPath = std::filesystem::absolute(options.file, error).lexically_normal().string();
    const bool loaded = model.LoadFromFile(fullPath, options.includeLods, &log);
    if (options.json) {
        // Names in the files are bytes, not necessarily UTF-8: replace what is not.
        std::cout
            << ToJson(options, fullPath, model, log, loaded).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
    } else if (loaded) {
        PrintText(options, model, log);
    } else {
        std::cerr << "zenthor info: " << options.file << ": " << ExplainLoadFailure(fullPath, log) << "\n";
        // A file that is no model has nothing more to show.
        const std::vector<const Diagnostic*> problems = log.ProblemsOf(fullPath);
        const bool notAModel = !problems.empty() && problems.front()->reason == SkipReason::NoModelChunks;
        if (log.Count(SkipReason::FileUnreadable) == 0 && !notAModel) {
            PrintText(options, model, log);
        }
    }
    return loaded ? kExitSuccess : kExitFailure;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info = app.add_subcommand(
        "info",
        "Load a model or mesh file and list its meshes, textures, references, aliases and diagnostics");
    info->add_option("FILE", options->file, "the .model or .mesh file")->required();
    info->add_flag("--include-lods", options->includeLods,
                   "also load level-of-detail mesh files (names with \"_lod\")");
    info->add_flag("--json", options->json, "print the result as JSON");
    info->callback([options, &exitCode] { exitCode = RunInfo(*options); });
}

}  // namespace zenthor
