// One import as the host runs it: the importer's DoImport into a fresh host scene, with
// the installed UI backend answering its dialog and showing its message box, then the
// scene written out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/dialog_answers.h"
#include "app/import_report.h"
#include "app/output_format.h"
#include "app/texture_store.h"
#include "app/worker_report.h"

class SceneImport;

namespace platform {
class UiBackend;
}

namespace zenthor {

struct ImportRequest {
    std::filesystem::path input;
    std::filesystem::path output;
    OutputFormat format = OutputFormat::Glb;
    TextureMode textures = TextureMode::Keep;
    // With PNG textures: a batch's shared store; null gives the import a store of its own,
    // whose PNGs go into a folder beside the output named after it ("scene_textures/").
    TextureStore* sharedTextures = nullptr;
    std::filesystem::path thumbnail;  // also draw the scene into this PNG; none when empty
};

struct ImportOutcome {
    enum class Result { Written, Cancelled, ImportFailed, WriteFailed };
    Result result = Result::ImportFailed;
    std::string error;                  // why, for every result but Written, as the user reads it
    std::vector<std::string> warnings;  // what the writer changed
    std::vector<LogRecord> log;         // what the importer told the host's log, in order
    std::vector<ObjectSummary> objectList;
    int objects = 0;
    std::uint64_t triangles = 0;
    double importSeconds = 0;
    double writeSeconds = 0;
};

// Runs the import with `backend` installed for its length. `report` is asked after
// DoImport returns: a closed dialog means the user cancelled, and the option's mark is
// the setting that the failure explanation loads with.
ImportOutcome ImportAndWrite(SceneImport& importer, const ImportRequest& request,
                             platform::UiBackend& backend, const std::function<DialogReport()>& report);

}  // namespace zenthor
