#include "app/single_import.h"

#include <chrono>
#include <optional>
#include <system_error>

#include "app/load_failure.h"
#include "app/scene_export.h"
#include "host/host_scene.h"
#include "host/scene_import.h"
#include "host/tri_object.h"
#include "platform/ui_backend.h"

namespace zenthor {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

ImportOutcome ImportAndWrite(SceneImport& importer, const ImportRequest& request,
                             platform::UiBackend& backend, const std::function<DialogReport()>& report) {
    ImportOutcome outcome;
    platform::ScopedUiBackend installed(backend);
    HostScene scene;
    RecordingHost host;

    auto start = std::chrono::steady_clock::now();
    const int imported = importer.DoImport(request.input.c_str(), &scene, &host, FALSE);
    outcome.importSeconds = SecondsSince(start);
    outcome.log = host.Records();
    const DialogReport dialog = report();
    if (dialog.closed) {
        outcome.result = ImportOutcome::Result::Cancelled;
        outcome.error = "the settings dialog was closed; nothing was imported";
        return outcome;
    }
    if (imported == 0) {
        outcome.result = ImportOutcome::Result::ImportFailed;
        outcome.error = ExplainImportFailure(request.input.string(), dialog.optionMarked);
        return outcome;
    }

    outcome.objects = scene.NodeCount();
    for (int i = 0; i < scene.NodeCount(); ++i) {
        if (const TriObject* object = scene.Node(i).Object()) {
            outcome.triangles += object->GetMesh().faces().size();
        }
    }

    start = std::chrono::steady_clock::now();
    ExportWarnings warnings;
    std::error_code code;
    if (request.output.has_parent_path()) {
        std::filesystem::create_directories(request.output.parent_path(), code);
    }
    std::optional<TextureStore> ownTextures;
    TextureStore* textures = nullptr;
    if (request.textures == TextureMode::Png) {
        textures = request.sharedTextures;
        if (textures == nullptr) {
            // A .glb carries its PNGs; the other formats reference them in a folder of their own.
            const std::filesystem::path folder =
                request.format == OutputFormat::Glb
                    ? std::filesystem::path()
                    : request.output.parent_path() / (request.output.stem().string() + "_textures");
            textures = &ownTextures.emplace(TextureStore::ForImport(folder));
        }
    }
    const bool written = WriteScene(scene, request.output, request.format, textures, warnings, outcome.error);
    outcome.writeSeconds = SecondsSince(start);
    outcome.warnings = std::move(warnings.messages);
    outcome.result = written ? ImportOutcome::Result::Written : ImportOutcome::Result::WriteFailed;
    return outcome;
}

}  // namespace zenthor
