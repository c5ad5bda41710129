#include "app/hosting/host_import.h"

#include <chrono>
#include <optional>
#include <system_error>

#include "app/hosting/recording_host.h"
#include "app/output/output_caches.h"
#include "app/output/scene_export.h"
#include "app/output/scene_writers.h"
#include "app/reports/host_notes.h"
#include "app/reports/load_failure.h"
#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/mtl.h"
#include "host/scene_import.h"
#include "host/std_mat2.h"
#include "host/tri_object.h"
#include "platform/path_lookup.h"
#include "platform/ui_backend.h"

namespace zenthor {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<ObjectSummary> SummariseObjects(const HostScene& scene) {
    std::vector<ObjectSummary> objects;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        const HostNode& node = scene.Node(i);
        ObjectSummary& object = objects.emplace_back();
        object.name = node.Name();
        if (const TriObject* triObject = node.Object()) {
            object.triangles = static_cast<std::uint64_t>(triObject->GetMesh().getNumFaces());
        }
        if (const Mtl* material = node.Material()) {
            object.material = material->GetName().data();
            const auto* bitmap = dynamic_cast<const BitmapTex*>(material->GetSubTexmap(kDiffuseSlot));
            if (bitmap != nullptr && platform::FileExists(bitmap->GetMapName())) {
                object.texture = platform::DisplayPath(bitmap->GetMapName());
            }
        }
    }
    return objects;
}

}  // namespace

ImportOutcome ImportAndWrite(SceneImport& importer, const ImportRequest& request, platform::UiBackend& backend,
                             const std::function<DialogReport()>& report, OutputCaches& caches) {
    ImportOutcome outcome;
    platform::ScopedUiBackend installed(backend);
    HostScene scene;
    RecordingHost host;

    // A host's file dialog hands the importer a full path, and the importer finds the
    // content tree from it.
    std::error_code code;
    const std::string fullPath = std::filesystem::absolute(request.input, code).lexically_normal().string();

    auto start = std::chrono::steady_clock::now();
    const int imported = importer.DoImport(fullPath.c_str(), &scene, &host, FALSE);
    outcome.importSeconds = SecondsSince(start);
    outcome.log = host.Records();
    host_notes::AddHostNotes(fullPath, outcome.log);
    const DialogReport dialog = report();
    if (dialog.closed) {
        outcome.result = ImportOutcome::Result::Cancelled;
        outcome.error = "the settings dialog was closed; nothing was imported";
        return outcome;
    }
    if (imported == 0) {
        outcome.result = ImportOutcome::Result::ImportFailed;
        outcome.error = ExplainImportFailure(fullPath, dialog.optionMarked);
        return outcome;
    }

    outcome.objects = SummariseObjects(scene);
    for (const ObjectSummary& object : outcome.objects) {
        outcome.triangles += object.triangles;
    }

    start = std::chrono::steady_clock::now();
    ExportWarnings warnings;
    if (request.output.has_parent_path()) {
        std::filesystem::create_directories(request.output.parent_path(), code);
        if (code) {
            outcome.result = ImportOutcome::Result::WriteFailed;
            outcome.error = "cannot create " + request.output.parent_path().string() + ": " + code.message();
            return outcome;
        }
    }
    std::optional<TextureStore> ownTextures;
    TextureStore* textures = nullptr;
    if (request.textures == TextureMode::Png) {
        textures = caches.BatchStore(request.pngFolder, request.claims);
        if (textures == nullptr) {
            // A .glb carries its PNGs; the other formats reference them in a folder of their own.
            const std::filesystem::path folder =
                request.format == OutputFormat::Glb
                    ? std::filesystem::path()
                    : request.output.parent_path() / (request.output.stem().string() + "_textures");
            textures = &ownTextures.emplace(TextureStore::ForImport(folder));
        }
    }
    bool written = WriteScene(scene, request.output, request.format, textures, warnings, outcome.error);
    outcome.writeSeconds = SecondsSince(start);
    outcome.warnings = std::move(warnings.messages);
    if (written && !request.thumbnail.empty()) {
        written = caches.WriteThumbnail(scene, request.thumbnail, outcome.error);
    }
    outcome.result = written ? ImportOutcome::Result::Written : ImportOutcome::Result::WriteFailed;
    return outcome;
}

}  // namespace zenthor
