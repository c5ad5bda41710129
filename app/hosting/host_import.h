// One import as a modelling host runs it, the same for `zenthor import`, a batch's worker
// and the browse page's: the importer's DoImport into a fresh host scene, with a UI backend
// installed to answer its dialog and show its message box, then the scene written out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/hosting/dialog_report.h"
#include "app/output/output_format.h"
#include "app/output/texture_store.h"
#include "app/reports/import_report.h"

class SceneImport;

namespace platform {
class UiBackend;
}

namespace zenthor {

class OutputCaches;

// One file's import: the settings the command line (or the browse page) gave, and where
// this file's output goes. A worker's job line carries exactly this record.
struct ImportRequest {
    std::filesystem::path input;
    std::filesystem::path output;
    OutputFormat format = OutputFormat::Glb;
    TextureMode textures = TextureMode::Keep;
    bool includeLods = false;         // the answer to the settings dialog
    std::filesystem::path thumbnail;  // also draw the scene into this PNG; none when empty
    // A batch's PNG and claims folders (TextureStore::ForBatch): with PNG textures the
    // import converts into these, sharing each texture with the batch's other workers.
    // Empty gives the import a store of its own, whose PNGs go into a folder beside the
    // output named after it ("scene_textures/"), or into the file for a .glb.
    std::filesystem::path pngFolder;
    std::filesystem::path claims;
};

// One scene object as the import made it.
struct ObjectSummary {
    std::string name;
    std::string material;
    std::uint64_t triangles = 0;
    std::string texture;  // the texture file, when there is one and it exists
};

struct ImportOutcome {
    enum class Result { Written, Cancelled, ImportFailed, WriteFailed };
    Result result = Result::ImportFailed;
    std::string error;                  // why, for every result but Written, as the user reads it
    std::vector<std::string> warnings;  // what the writer changed
    std::vector<LogRecord> log;         // what the importer told the host's log, in order
    std::vector<ObjectSummary> objects;
    std::uint64_t triangles = 0;
    double importSeconds = 0;
    double writeSeconds = 0;
};

// Runs the import with `backend` installed for its length. `report` is asked after
// DoImport returns: a closed dialog means the user cancelled, and the option's mark is
// the setting that the failure explanation loads with. `caches` are the process's.
ImportOutcome ImportAndWrite(SceneImport& importer, const ImportRequest& request, platform::UiBackend& backend,
                             const std::function<DialogReport()>& report, OutputCaches& caches);

}  // namespace zenthor
